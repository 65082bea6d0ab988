#include <gtest/gtest.h>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "search/alpha_beta.h"
#include "search/game.h"
#include "search/search_context.h"
#include "search/search_driver.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

using test::mateIn;
using test::SearchFixture;

struct MateCase {
  const char* fen;
  int moves;
};

const MateCase MateCases[] = {
    {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1},
    {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2},
    {"7r/8/8/8/8/2k5/8/K7 b - - 0 1", 2},
    {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3},
    {"7k/7p/8/8/4b3/5r2/5P1P/R5RK b - - 0 1", 3},
};

struct PruningSwitches {
  bool nullMove;
  bool reductions;
};

class MateSearch : public ::testing::TestWithParam<PruningSwitches> {};

// The mate is found with its exact distance whatever pruning is switched off.
TEST_P(MateSearch, FindsMateWithExactScore) {
  for (const MateCase& c : MateCases) {
    SearchFixture fixture(c.fen);
    fixture.engine->useNullMove = GetParam().nullMove;
    fixture.engine->useLMR = GetParam().reductions;
    const auto& result = fixture.searchToDepth(2 * c.moves + 2);
    ASSERT_FALSE(fixture.sink->pvs.empty()) << c.fen;
    const auto& pv = fixture.sink->pvs.back();
    EXPECT_EQ(pv.score, mateIn(c.moves)) << c.fen;
    ASSERT_EQ(static_cast<int>(pv.moves.size()), 2 * c.moves - 1) << c.fen;
    EXPECT_EQ(result.best, pv.moves[0]);
    // The line itself ends in mate.
    Board board = fixture.engine->board;
    for (const Move m : pv.moves) {
      UndoRecord undo;
      makeMove(board, m, undo);
    }
    EXPECT_TRUE(test::isCheckmate(board)) << c.fen;
  }
}

INSTANTIATE_TEST_SUITE_P(Switches, MateSearch,
                         ::testing::Values(PruningSwitches{true, true}, PruningSwitches{false, true},
                                           PruningSwitches{true, false}, PruningSwitches{false, false}));

// Runs one node of the search below the root on the engine's game position.
struct NodeProbe {
  explicit NodeProbe(SearchFixture& fixture) : engine(*fixture.engine) {
    prepareSearchContext(ctx, engine);
    ctx.moveStack[0] = NoMove;
  }
  int search(int depth, int ply = 1) {
    return searchNode(ctx, -32001, 32001, depth, ply, true, sideToMoveInCheck(ctx.board));
  }
  Engine& engine;
  SearchContext ctx;
};

struct DrawCase {
  const char* fen;
  const char* moves;  // played on the game first
  bool sideToMoveIsRootSide;
};

// Stalemate, insufficient material and a repetition are worth DrawScore to
// the opponent of the root side and -DrawScore to the root side.
TEST(SearchDraws, DrawValueFollowsTheRootSide) {
  const DrawCase cases[] = {
      {"7k/8/6Q1/8/8/8/8/K7 b - - 0 1", "", true},  // stalemate
      {"7k/8/6Q1/8/8/8/8/K7 b - - 0 1", "", false},
      {"8/8/4k3/8/8/3BK3/8/8 w - - 0 1", "", true},  // king and bishop against king
      {"8/8/4k3/8/8/4K3/8/8 b - - 0 1", "", false},  // bare kings
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3 g8f6 f3g1 f6g8", true},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3 g8f6 f3g1 f6g8", false},
      // Both kings walk a triangle: the position comes back after six plies.
      {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", "e1d1 e8d8 d1d2 d8d7 d2e1 d7e8", true},
  };
  const int savedDrawScore = drawScore;
  for (const int configured : {0, 50, -30}) {
    drawScore = configured;
    for (const DrawCase& c : cases) {
      SearchFixture fixture(c.fen);
      ASSERT_TRUE(playMoveText(*fixture.engine, c.moves));
      const int side = static_cast<int>(fixture.engine->board.sideToMove);
      fixture.engine->rootSide = c.sideToMoveIsRootSide ? side : side ^ 1;
      NodeProbe probe(fixture);
      EXPECT_EQ(probe.search(6), c.sideToMoveIsRootSide ? -configured : configured) << c.fen << " " << c.moves;
    }
  }
  drawScore = savedDrawScore;
}

// The whole search: every root move of a bare-bishop ending is a draw, so the
// root side sees -DrawScore; a rook is enough to win.
TEST(SearchDraws, RootScoreOfADeadDrawIsMinusDrawScore) {
  const int savedDrawScore = drawScore;
  drawScore = 50;
  test::SearchFixture bishop("8/8/4k3/8/8/3BK3/8/8 w - - 0 1");
  bishop.searchToDepth(5);
  EXPECT_EQ(bishop.sink->pvs.back().score, -50);
  test::SearchFixture rook("8/8/4k3/8/8/3RK3/8/8 w - - 0 1");
  rook.searchToDepth(5);
  EXPECT_GT(rook.sink->pvs.back().score, 300);
  drawScore = savedDrawScore;
}

TEST(SearchLimits, PlyLimitReturnsTheStaticValue) {
  SearchFixture fixture("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  NodeProbe probe(fixture);
  PawnHashTable pawnHash;
  const int expected = evaluate(fixture.engine->evalContext, fixture.engine->board, pawnHash);
  EXPECT_EQ(probe.search(20, MaxPly), expected);
  EXPECT_EQ(probe.ctx.nodes, 0u);
}

bool isLegalIn(const Board& board, Move move) {
  MoveList list;
  const int count = generateLegal(board, list.entries, sideToMoveInCheck(board));
  for (int i = 0; i < count; ++i)
    if (list.entries[i].move == move) return true;
  return false;
}

// Every move word the search hands out (best move, ponder move, each PV
// line) is legal where it is played. Each reference position is followed for
// a few moves of self-play, so several hundred positions are searched.
TEST(SearchLegality, ReportedMovesAreLegal) {
  const int depth = test::sanitizedBuild() ? 3 : 5;
  const int pliesPerGame = test::sanitizedBuild() ? 4 : 12;
  int positions = 0;
  for (const auto& ref : test::perftReferences()) {
    SearchFixture fixture(ref.fen);
    Engine& engine = *fixture.engine;
    engine.ponderEnabled = 1;
    engine.limitMode = LimitDepth;
    engine.depthLimit = depth;
    for (int ply = 0; ply < pliesPerGame; ++ply) {
      const Board root = engine.board;
      fixture.sink->pvs.clear();
      searchRoot(engine, false);
      const auto& result = fixture.sink->bestMove;
      if (result.best == NoMove) break;  // the game is over
      ++positions;
      ASSERT_TRUE(isLegalIn(root, result.best)) << boardToFen(root, 1);
      Board after = root;
      UndoRecord undo;
      makeMove(after, result.best, undo);
      if (result.ponder != NoMove) {
        EXPECT_TRUE(isLegalIn(after, result.ponder)) << boardToFen(root, 1);
      }
      for (const auto& pv : fixture.sink->pvs) {
        Board board = root;
        for (const Move m : pv.moves) {
          ASSERT_TRUE(isLegalIn(board, m)) << boardToFen(root, 1) << " pv move " << moveToCoordinate(m, true);
          makeMove(board, m, undo);
        }
      }
    }
  }
  EXPECT_GT(positions, 50);
}

}  // namespace
}  // namespace talvik
