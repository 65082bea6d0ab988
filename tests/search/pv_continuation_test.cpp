#include "search/pv_continuation.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/makemove.h"
#include "board/move_text.h"
#include "search/engine.h"
#include "search/transposition_table.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"
#include "tools/benchmark.h"

namespace talvik {
namespace {

using test::SearchFixture;

constexpr int Depth = test::sanitizedBuild() ? 4 : 6;

std::vector<std::string> suitePositions() {
  std::vector<std::string> fens = benchmarkPositions();
  for (const test::PerftReference& reference : test::perftReferences()) fens.push_back(reference.fen);
  return fens;
}

// Plays the line on a copy of `root`; the index of the first illegal move,
// or the line's length when every move is legal in turn.
std::size_t legalPrefix(const Board& root, const std::vector<Move>& line) {
  Board board = root;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (!test::isLegal(board, line[i])) return i;
    UndoRecord undo;
    makeMove(board, line[i], undo);
  }
  return line.size();
}

// The table's moves continue a line only while they are legal, lead to no
// position the line has passed and come from a search.
TEST(FullLines, TheTableContinuesALineOnlyWithMovesItCanVouchFor) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, int>> table;  // moves stored along the line, with depths (half-plies)
    int plies;
    const char* expected;
  };
  const Case cases[] = {
      {"deep entries fill the line", {{"e2e4", 20}, {"e7e5", 20}, {"g1f3", 20}, {"b8c6", 20}}, 4, "e2e4 e7e5 g1f3 b8c6"},
      {"no longer than asked", {{"e2e4", 20}, {"e7e5", 20}, {"g1f3", 20}}, 2, "e2e4 e7e5"},
      {"an entry of less than a ply ends it", {{"e2e4", 20}, {"e7e5", 2}, {"g1f3", 1}, {"b8c6", 20}}, 4, "e2e4 e7e5"},
      {"an illegal table move ends it", {{"e2e4", 20}, {"e7e5", 20}, {"e1g1", 20}}, 4, "e2e4 e7e5"},
      {"a repetition ends it", {{"g1f3", 20}, {"g8f6", 20}, {"f3g1", 20}, {"f6g8", 20}}, 5, "g1f3 g8f6 f3g1"},
  };
  for (const Case& c : cases) {
    TransTable table;
    ASSERT_TRUE(table.allocate(1));
    const Board root = test::boardFromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    Board board = root;
    Move line[MaxPly] = {};
    for (const auto& [text, depth] : c.table) {
      // e1g1 is no legal move here: the king cannot castle through its pieces.
      Move move = encodeMove(static_cast<Square>(4), static_cast<Square>(6), King);
      bool legal = false;
      for (const Move m : test::legalMoves(board))
        if (moveToCoordinate(m, false) == text) move = m, legal = true;
      if (line[0] == NoMove) line[0] = move;  // the search's own line: its first move
      table.store(board.hashKey, move, 0, depth, 0, BoundExact);
      if (!legal) break;
      UndoRecord undo;
      makeMove(board, move, undo);
    }
    const int length = continueLine(table, root, line, 1, c.plies);
    std::string text;
    for (int i = 0; i < length; ++i) {
      if (i > 0) text += ' ';
      text += moveToCoordinate(line[i], false);
    }
    EXPECT_EQ(text, c.expected) << c.what;
  }
}

// Every line reported by searches of the benchmark and perft positions, in
// single- and multi-PV mode, searched twice (the second time the table
// answers most of the tree) and once more after the move found: each move
// is legal in turn, and no line claims less selective depth than its depth.
TEST(FullLines, EveryReportedLineIsLegalMoveAfterMove) {
  SearchFixture f("", 4);
  f.engine->chess960 = 1;  // the perft positions include Chess960 castling
  int searches = 0;
  for (const std::string& fen : suitePositions()) {
    for (const int lines : {1, 3}) {
      f.setPosition(fen);
      f.engine->multiPV = lines;
      for (int round = 0; round < 3; ++round) {
        if (round == 2) {
          if (f.sink->bestMove.best == NoMove) break;
          f.engine->playMove(f.sink->bestMove.best);
        }
        f.sink->pvs.clear();
        f.searchToDepth(Depth);
        ++searches;
        for (const test::ReportedPv& pv : f.sink->pvs) {
          EXPECT_EQ(legalPrefix(f.engine->board, pv.moves), pv.moves.size()) << fen << " depth " << pv.depth;
          EXPECT_GE(pv.selDepth, pv.depth) << fen;
        }
      }
    }
  }
  EXPECT_GE(searches, 200);
}

// A position searched again: the table answers the root's replies at once,
// yet every line reaches the iteration's depth, and the ponder move is the
// line's second move.
TEST(FullLines, ARepeatedSearchReportsLinesOfTheIterationsLength) {
  const char* fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
      "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
  };
  const int depth = test::sanitizedBuild() ? 6 : 10;
  for (const char* fen : fens) {
    SearchFixture f(fen, 8);
    f.engine->ponderEnabled = 1;
    f.searchToDepth(depth);
    f.sink->pvs.clear();
    const test::ReportedBestMove& result = f.searchToDepth(depth);
    ASSERT_FALSE(f.sink->pvs.empty());
    for (const test::ReportedPv& pv : f.sink->pvs)
      EXPECT_GE(static_cast<int>(pv.moves.size()), pv.depth) << fen << " depth " << pv.depth;
    EXPECT_EQ(result.ponder, f.sink->pvs.back().moves.at(1)) << fen;
  }
}

// The continuation only reads the table: a run of searches (a position, the
// same again, the next one) counts the same nodes with and without it.
TEST(FullLines, TheSearchCountsTheSameNodesWithAndWithoutThem) {
  const int depth = test::sanitizedBuild() ? 6 : 9;
  std::vector<std::uint64_t> counts[2];
  for (const int continued : {0, 1}) {
    SearchFixture f("r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4", 8);
    f.engine->continueLines = static_cast<std::uint8_t>(continued);
    f.engine->ponderEnabled = 1;
    for (int round = 0; round < 3; ++round) {
      if (round == 2) f.engine->playMove(f.sink->bestMove.best);
      counts[continued].push_back(f.searchToDepth(depth).nodes);
    }
  }
  EXPECT_EQ(counts[0], counts[1]);
}

}  // namespace
}  // namespace talvik
