#include "protocol/uci_info.h"

#include <gtest/gtest.h>

#include <string>

namespace talvik {
namespace {

TEST(UciInfo, ScoresAsCentipawnsOrMovesToMate) {
  struct Case {
    int score;
    std::string word;
    int value;
  };
  const Case cases[] = {
      {0, "cp", 0},           {-57, "cp", -57},        {31743, "cp", 31743}, {-31743, "cp", -31743},
      {31999, "mate", 1},     {31998, "mate", 2},      {31997, "mate", 2},   {31744, "mate", 129},
      {-31998, "mate", -1},   {-31996, "mate", -2},    {-31995, "mate", -2}, {-31744, "mate", -128},
  };
  for (const Case& c : cases) {
    const UciScore shown = uciScore(c.score);
    EXPECT_EQ(shown.word, c.word) << c.score;
    EXPECT_EQ(shown.value, c.value) << c.score;
  }
}

TEST(UciInfo, PvLines) {
  struct Case {
    int line, score, bound;
    std::uint64_t nodes, elapsedUs;
    const char* expected;
  };
  const Case cases[] = {
      // No measurable time counts as 16 ms, also for the speed.
      {0, 31, 0, 1600, 0, "info depth 7 seldepth 11 score cp 31 time 16 nodes 1600 nps 100000 hashfull 250 pv e2e4 e7e5"},
      {0, -20, 1, 5000, 2500000, "info depth 7 seldepth 11 score cp -20 upperbound time 2500 nodes 5000 nps 2000 hashfull 250 pv e2e4 e7e5"},
      {3, 31997, 2, 10, 999, "info multipv 3 depth 7 seldepth 11 score mate 2 lowerbound time 0 nodes 10 nps 10010 hashfull 250 pv e2e4 e7e5"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(uciPvLine(c.line, 7, 11, c.score, c.bound, c.nodes, c.elapsedUs, 250, "e2e4 e7e5"), c.expected);
}

}  // namespace
}  // namespace talvik
