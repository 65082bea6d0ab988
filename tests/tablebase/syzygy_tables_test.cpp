#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "board/move_text.h"
#include "support/test_positions.h"
#include "tablebase/syzygy_tables.h"

namespace talvik {
namespace {

using test::boardFromFen;

// The shared tables of every ending of up to four pieces, beside the repository.
const std::string TableDir = TALVIK_SOURCE_DIR "/../shared/syzygy";

class SyzygyTables : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(TableDir + "/KQvK.rtbw")) GTEST_SKIP() << "no tables in " << TableDir;
    const TableSet set = openTables(TableDir);
    ASSERT_EQ(set.wdlCount, 35);
    ASSERT_EQ(set.dtzCount, 35);
    ASSERT_EQ(set.largest, 4);
  }
  void TearDown() override { openTables(""); }
};

// The root moves of the best rank, as coordinates.
std::vector<std::string> bestMoves(const Board& board, bool useRule50 = true, int* bestRank = nullptr) {
  RankedMove ranked[MaxMoves];
  const int count = rankRootMoves(board, false, useRule50, ranked);
  int best = -100000;
  for (int i = 0; i < count; ++i) best = std::max(best, ranked[i].rank);
  std::vector<std::string> moves;
  for (int i = 0; i < count; ++i)
    if (ranked[i].rank == best) moves.push_back(moveToCoordinate(ranked[i].move, false));
  if (bestRank != nullptr) *bestRank = best;
  return moves;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

struct KnownPosition {
  const char* fen;
  TableResult result;  // for the side to move
  const char* keeps;   // moves that keep the result
  const char* spoils;  // moves that do not
};

// The positions of the tables' README, with their known results.
const KnownPosition KnownPositions[] = {
    {"7k/8/8/8/8/8/4r3/3K4 w - - 0 1", TableDraw, "d1e2", "d1c1"},
    {"7k/8/8/8/8/8/4r3/3K4 b - - 0 1", TableWin, "", "e2e1 e2c2 e2d2 h8g8 h8g7 h8h7"},
    {"8/8/8/4k3/8/8/8/3QK3 w - - 0 1", TableWin, "", "d1d4 d1d5 d1d6"},
    {"k7/8/P7/8/8/8/8/K7 w - - 0 1", TableDraw, "", ""},
    {"4k3/8/4K3/4P3/8/8/8/8 w - - 0 1", TableWin, "e6d6 e6f6", "e6d5 e6f5"},
    {"8/8/8/4k3/8/8/8/KBN5 w - - 0 1", TableWin, "", ""},
    {"8/8/4k3/8/8/3K4/8/Q5r1 w - - 0 1", TableWin, "a1g1", ""},
    {"8/8/8/8/8/2k5/p7/R6K w - - 0 1", TableWin, "a1a2", "a1b1 a1g1 h1g2"},
    {"8/8/8/8/3pP3/8/8/K6k b - e3 0 1", TableWin, "d4e3", "d4d3 h1g1"},
    {"8/8/8/8/8/2k5/8/R3K1b1 w - - 0 1", TableDraw, "", ""},
};

TEST_F(SyzygyTables, KnownPositionsGiveTheirResultsAndKeepingMoves) {
  for (const KnownPosition& known : KnownPositions) {
    SCOPED_TRACE(known.fen);
    const Board board = boardFromFen(known.fen);
    ASSERT_TRUE(reachablePosition(board));
    ASSERT_TRUE(tablesCoverRoot(board, 7));
    TableResult result{};
    ASSERT_TRUE(probeWdl(board, result));
    EXPECT_EQ(result, known.result);
    int bestRank = 0;
    const std::vector<std::string> best = bestMoves(board, true, &bestRank);
    EXPECT_EQ(rankResult(bestRank, true), known.result);
    for (const std::string& move : words(known.keeps)) EXPECT_EQ(std::count(best.begin(), best.end(), move), 1) << move;
    for (const std::string& move : words(known.spoils))
      EXPECT_EQ(std::count(best.begin(), best.end(), move), 0) << move;
  }
}

// Closed tables answer nothing, also for the endings they held.
TEST_F(SyzygyTables, ClosedTablesAnswerNothing) {
  const TableSet set = openTables("");
  EXPECT_EQ(set.largest, 0);
  EXPECT_EQ(largestTable(), 0);
  TableResult result{};
  EXPECT_FALSE(probeWdl(boardFromFen("8/8/8/4k3/8/8/8/3QK3 w - - 0 1"), result));
  EXPECT_EQ(openTables(TableDir).largest, 4);
  EXPECT_TRUE(probeWdl(boardFromFen("8/8/8/4k3/8/8/8/3QK3 w - - 0 1"), result));
}

TEST_F(SyzygyTables, MatedAndStalematedPositionsAreNotMisread) {
  TableResult result{};
  const Board mated = boardFromFen("k7/1Q6/1K6/8/8/8/8/8 b - - 0 1");
  ASSERT_TRUE(probeWdl(mated, result));
  EXPECT_EQ(result, TableLoss);
  const Board stalemated = boardFromFen("k7/2Q5/1K6/8/8/8/8/8 b - - 0 1");
  ASSERT_TRUE(probeWdl(stalemated, result));
  EXPECT_EQ(result, TableDraw);
  RankedMove ranked[MaxMoves];
  EXPECT_EQ(rankRootMoves(mated, false, true, ranked), 0);
  EXPECT_EQ(rankRootMoves(stalemated, false, true, ranked), 0);
}

// A win of 58 plies to the next capture with 60 plies already gone: drawn by
// the fifty-move rule, won without it.
TEST_F(SyzygyTables, FiftyMoveRuleSpoilsALateWinOnlyWhenItCounts) {
  const Board late = boardFromFen("8/8/8/4k3/8/8/8/KBN5 w - - 60 1");
  int rank = 0;
  bestMoves(late, true, &rank);
  EXPECT_EQ(rankResult(rank, true), TableCursedWin);
  EXPECT_EQ(rankResult(rank, false), TableWin);
}

// Castling rights and too many pieces are refused too (the end-to-end test sees no probe).
TEST_F(SyzygyTables, PositionsTheTablesMustNotSeeAreRefused) {
  const Board blackInCheck = boardFromFen("4k3/8/8/8/8/8/8/4QK2 w - - 0 1");  // Black is not to move
  EXPECT_FALSE(reachablePosition(blackInCheck));
  EXPECT_TRUE(tablesCoverRoot(blackInCheck, 7));
  EXPECT_FALSE(tablesCoverRoot(boardFromFen("8/8/8/4k3/8/8/8/3QK3 w - - 0 1"), 2));  // the probe limit
}

}  // namespace
}  // namespace talvik
