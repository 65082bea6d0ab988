#include "search/pv_continuation.h"

#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/move_text.h"
#include "search/engine.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"
#include "tools/benchmark.h"

namespace talvik {
namespace {

// The table's moves continue a line only while they are legal, lead to no
// position the line has passed and come from a search.
TEST(FullLines, TheTableContinuesALineOnlyWithMovesItCanVouchFor) {
  const std::pair<std::vector<std::pair<const char*, int>>, const char*> cases[] = {
      // moves stored along the line from the start position (depth in half-plies), the continued line
      {{{"e2e4", 20}, {"e7e5", 20}, {"g1f3", 20}, {"b8c6", 20}}, "e2e4 e7e5 g1f3 b8c6"},
      {{{"e2e4", 20}, {"e7e5", 2}, {"g1f3", 1}}, "e2e4 e7e5"},
      {{{"e2e4", 20}, {"e7e5", 20}, {"e1g1", 20}}, "e2e4 e7e5"},  // castling through pieces
      {{{"g1f3", 20}, {"g8f6", 20}, {"f3g1", 20}, {"f6g8", 20}}, "g1f3 g8f6 f3g1"},
  };
  for (const auto& [stored, expected] : cases) {
    TransTable table;
    ASSERT_TRUE(table.allocate(1));
    const Board root = test::boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    Board board = root;
    Move line[MaxPly] = {};
    for (const auto& [text, depth] : stored) {
      Move move = encodeMove(4, 6, King);  // e1g1 as a plain king move: illegal here
      for (const Move m : test::legalMoves(board))
        if (moveToCoordinate(m, false) == text) move = m;
      if (line[0] == NoMove) line[0] = move;  // the search's own line is its first move
      table.store(board.hashKey, move, 0, depth, 0, BoundExact);
      if (!test::isLegal(board, move)) break;
      UndoRecord undo;
      makeMove(board, move, undo);
    }
    std::string text;
    for (int i = 0, n = continueLine(table, root, line, 1, 5); i < n; ++i) {
      if (i > 0) text += ' ';
      text += moveToCoordinate(line[i], false);
    }
    EXPECT_EQ(text, expected);
  }
}

// Some 250 searches of the benchmark and perft positions, single- and
// multi-PV, each searched twice (the second time the table answers most of
// the tree) and once more after its move: every reported line is legal move
// after move and claims no less selective depth than its depth.
TEST(FullLines, EveryReportedLineIsLegalMoveAfterMove) {
  test::SearchFixture f("", 4);
  f.engine->chess960 = 1;  // the perft positions include Chess960 castling
  std::vector<std::string> fens = benchmarkPositions();
  for (const test::PerftReference& reference : test::perftReferences()) fens.push_back(reference.fen);
  int searches = 0;
  for (const std::string& fen : fens)
    for (const int lines : {1, 3}) {
      f.setPosition(fen);
      f.engine->multiPV = lines;
      for (int round = 0; round < 3 && (round < 2 || f.sink->bestMove.best != NoMove); ++round) {
        if (round == 2) f.engine->playMove(f.sink->bestMove.best);
        f.sink->pvs.clear();
        f.searchToDepth(test::sanitizedBuild() ? 4 : 6);
        ++searches;
        for (const test::ReportedPv& pv : f.sink->pvs) {
          Board board = f.engine->board;
          for (const Move move : pv.moves) {
            ASSERT_TRUE(test::isLegal(board, move)) << fen << " depth " << pv.depth;
            UndoRecord undo;
            makeMove(board, move, undo);
          }
          EXPECT_GE(pv.selDepth, pv.depth) << fen;
        }
      }
    }
  EXPECT_GE(searches, 200);
}

// The continuation only reads the table: a position, the same again and the
// next one count the same nodes with and without it.
TEST(FullLines, TheSearchCountsTheSameNodesWithAndWithoutThem) {
  std::vector<std::uint64_t> counts[2];
  for (const int continued : {0, 1}) {
    test::SearchFixture f("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4", 8);
    f.engine->continueLines = static_cast<std::uint8_t>(continued);
    f.engine->ponderEnabled = 1;
    for (int round = 0; round < 3; ++round) {
      if (round == 2) f.engine->playMove(f.sink->bestMove.best);
      counts[continued].push_back(f.searchToDepth(test::sanitizedBuild() ? 6 : 9).nodes);
    }
  }
  EXPECT_EQ(counts[0], counts[1]);
}

}  // namespace
}  // namespace talvik
