#include "tools/perft.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "support/test_positions.h"

namespace talvik {
namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

// Published detailed counts, and small positions for single kinds of leaf:
// a capture that mates, an en-passant capture, promotions with capture and a
// king in check (evasions only).
TEST(PerftDetailed, CountsEveryKindOfLeafMove) {
  struct Case {
    const char* fen;
    int depth;
    PerftCounters expected;  // nodes, captures, e.p., promotions, castles, checks, mates
  };
  const Case cases[] = {
      {StartFen, 3, {8902, 34, 0, 0, 0, 12, 0}},
      {StartFen, 4, {197281, 1576, 0, 0, 0, 469, 8}},
      {Kiwipete, 1, {48, 8, 0, 0, 2, 0, 0}},
      {Kiwipete, 2, {2039, 351, 1, 0, 91, 3, 0}},
      {Kiwipete, 3, {97862, 17102, 45, 0, 3162, 993, 1}},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 4, {43238, 3348, 123, 0, 0, 1680, 17}},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 3, {9467, 1021, 4, 120, 0, 38, 22}},
      {"n5k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 1, {17, 1, 0, 0, 0, 1, 1}},
      {"8/8/8/3pP3/8/8/8/4K2k w - d6 0 1", 1, {7, 1, 1, 0, 0, 0, 0}},
      {"1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1", 1, {13, 4, 0, 8, 0, 2, 0}},
      {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 1, {3, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Board board = test::boardFromFen(c.fen);
    const Board before = board;
    const PerftCounters got = perftDetailed(board, c.depth);
    const PerftCounters& want = c.expected;
    const std::string where = std::string(c.fen) + " depth " + std::to_string(c.depth);
    EXPECT_EQ(got.nodes, want.nodes) << where;
    EXPECT_EQ(got.captures, want.captures) << where;
    EXPECT_EQ(got.enPassant, want.enPassant) << where;
    EXPECT_EQ(got.promotions, want.promotions) << where;
    EXPECT_EQ(got.castles, want.castles) << where;
    EXPECT_EQ(got.checks, want.checks) << where;
    EXPECT_EQ(got.mates, want.mates) << where;
    EXPECT_EQ(got.nodes, perftCount(board, c.depth)) << where;
    EXPECT_EQ(std::memcmp(&board, &before, sizeof board), 0) << "board changed: " << where;
  }
}

// A tree of depth 0 is its root: one leaf, whose check and mate are counted.
TEST(PerftDepth, ZeroOrLessCountsTheRoot) {
  const struct {
    const char* fen;
    int depth;
    std::uint64_t checks, mates;
  } cases[] = {
      {StartFen, 0, 0, 0},
      {StartFen, -4, 0, 0},
      {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 0, 1, 0},
      {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 0, 1, 1},
  };
  for (const auto& c : cases) {
    Board board = test::boardFromFen(c.fen);
    EXPECT_EQ(perftCount(board, c.depth), 1u) << c.fen;
    const PerftCounters counters = perftDetailed(board, c.depth);
    EXPECT_EQ(counters.nodes, 1u) << c.fen;
    EXPECT_EQ(counters.captures + counters.enPassant + counters.promotions + counters.castles, 0u) << c.fen;
    EXPECT_EQ(counters.checks, c.checks) << c.fen;
    EXPECT_EQ(counters.mates, c.mates) << c.fen;
  }
  EXPECT_EQ(perftDepth(-1), 0);
  EXPECT_EQ(perftDepth(6), 6);
  EXPECT_EQ(perftDepth(100000), MaxPerftDepth);
}

TEST(Divide, SplitsTheCountByRootMove) {
  struct Case {
    const char* fen;
    int depth;
    int moves;
    std::uint64_t total;
  };
  const Case cases[] = {
      {StartFen, 1, 20, 20},   {StartFen, 0, 20, 20},  // below 2 every root move counts 1
      {StartFen, -3, 20, 20},  {StartFen, 3, 20, 8902}, {Kiwipete, 2, 48, 2039},
      {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 1, 3, 3},       // evasions only
      {"R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 3, 0, 0},    // mated: no lines
  };
  DivideEntry entries[MaxMoves];
  for (const Case& c : cases) {
    Board board = test::boardFromFen(c.fen);
    const int count = divideRootMoves(board, c.depth, entries);
    EXPECT_EQ(count, c.moves) << c.fen;
    std::uint64_t total = 0;
    for (int i = 0; i < count; ++i) total += entries[i].count;
    EXPECT_EQ(total, c.total) << c.fen << " depth " << c.depth;
  }
}

TEST(Divide, NamesMovesInLongAlgebraic) {
  const struct {
    const char* fen;
    std::set<std::string> some;
  } cases[] = {
      {StartFen, {"Ng1-f3", "Nb1-a3", "e2-e4", "a2-a3"}},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", {"O-O", "O-O-O", "Ra1xa8", "Ke1-d1"}},
      {"8/8/8/3pP3/8/8/8/4K2k w - d6 0 1", {"e5xd6e.p", "e5-e6"}},
      {"1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1", {"a7-a8=Q", "a7-a8=N", "a7xb8=R", "a7xb8=B"}},
  };
  DivideEntry entries[MaxMoves];
  for (const auto& c : cases) {
    Board board = test::boardFromFen(c.fen);
    const int count = divideRootMoves(board, 1, entries);
    std::set<std::string> texts;
    for (int i = 0; i < count; ++i) texts.insert(entries[i].moveText);
    for (const std::string& text : c.some) EXPECT_TRUE(texts.count(text)) << c.fen << " lacks " << text;
  }
}

// A run too quick for the clock must not divide by zero.
TEST(PerftReport, Speed) {
  const struct {
    std::uint64_t leaves;
    std::int64_t elapsedUs;
    std::int64_t speed;
  } speeds[] = {{20, 0, 1250}, {5, -7, 312}, {1000, 1000, 1000000}, {119060324, 2000000, 59530162}};
  for (const auto& s : speeds) EXPECT_EQ(perftSpeed(s.leaves, s.elapsedUs), s.speed) << s.leaves;
}

}  // namespace
}  // namespace talvik
