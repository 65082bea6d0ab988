#include "tools/perft_suite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "board/bitboard.h"
#include "search/engine.h"

namespace talvik {
namespace {

TEST(PerftSuiteScanner, CollectsTheCountFields) {
  using Fields = std::vector<std::string>;
  const struct {
    std::string line;
    Fields fields;
  } cases[] = {
      {"8/8/8 w - - 0 1 ;D1 20 ;D2 400", {"D1 20", "D2 400"}},
      {"fen ;D1 20 ;D2 400\n", {"D1 20", "D2 400"}},
      {"fen;d3 8902", {"d3 8902"}},
      {"fen ;D1 20;D2 400", {"D1 20", "D2 400"}},     // ';' ends a field and starts the next
      {"fen ;D1 2x0 ;", {"D1 20"}},                   // other characters are dropped
      {"fen ;  D5 4865609", {"D5 4865609"}},          // blanks before the D are skipped
      {"fen ;D1 20 comment ;D2 400", {"D1 20", "D2 400"}},
      {"fen ;D12\t34\r\n", {"D12 34"}},               // control characters read as blanks
      {"fen ;D1", {}},                                // no count yet
      {"fen D1 20", {}},                              // no ';'
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(scanCountFields(c.line), c.fields) << c.line;

  std::string many = "fen";
  for (int i = 1; i <= 20; ++i) many += " ;D" + std::to_string(i) + " " + std::to_string(i);
  EXPECT_EQ(scanCountFields(many).size(), 16u);
}

TEST(PerftSuiteScanner, FindsTheCountOfADepth) {
  const std::vector<std::string> fields = {"D1 20", "D2 400", "D2 401", "D 7", "Dx"};
  EXPECT_EQ(expectedCountText(fields, 1), "20");
  EXPECT_EQ(expectedCountText(fields, 2), "400");  // the first field of a depth
  EXPECT_EQ(expectedCountText(fields, 3), "");
  EXPECT_EQ(expectedCountText(fields, 0), "7");    // "D" without digits is depth 0
}

class PerftSuiteFile : public ::testing::Test {
 protected:
  void SetUp() override {
    initBitboardTables();
    char name[] = "/tmp/talvik-suite-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name;
  }
  void TearDown() override { std::remove(path_.c_str()); }
  void write(const std::string& text) { std::ofstream(path_) << text; }

  std::string path_;
};

TEST_F(PerftSuiteFile, ScoresLinesAndCountsFailures) {
  write(
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 ;D1 20 ;D2 400\n"
      "\n"
      "   \n"
      "8/8/8/8/k2Pp2Q/8/8/3K4 b - d3 0 1 ;D1 6 ;D2 999\n"
      // An unreadable FEN fails even though the previous position would pass.
      "not a fen ;D1 6 ;D2 999\n"
      "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 ;D1 26 ;D3 13744");
  Engine engine;
  const struct {
    int depth;
    int passed;
  } cases[] = {{1, 3}, {2, 1}, {3, 1}};
  for (const auto& c : cases) {
    const PerftSuiteScore score = scorePerftSuite(engine, path_, c.depth);
    EXPECT_TRUE(score.opened);
    EXPECT_EQ(score.total, 4) << "depth " << c.depth;
    EXPECT_EQ(score.passed, c.passed) << "depth " << c.depth;
  }
}

TEST_F(PerftSuiteFile, MissingFile) {
  Engine engine;
  const PerftSuiteScore score = scorePerftSuite(engine, path_ + ".missing", 1);
  EXPECT_FALSE(score.opened);
  EXPECT_EQ(score.total, 0);
}

}  // namespace
}  // namespace talvik
