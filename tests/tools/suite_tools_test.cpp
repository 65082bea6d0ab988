#include <gtest/gtest.h>

#include "board/movegen.h"
#include "support/test_positions.h"
#include "tools/benchmark.h"
#include "tools/eval_suite.h"
#include "tools/san_text.h"
#include "tools/test_suite.h"
#include "tools/tool_report_sink.h"

namespace talvik {
namespace {

TEST(EpdLine, OperationMovesAndId) {
  struct Case {
    const char* line;
    bool hasOperation, avoid;
    const char* position;
    const char* expected;
    const char* id;
  };
  const Case cases[] = {
      {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - bm Rd8; id \"mate1\";", true, false, "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - ",
       "Rd8", "mate1"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - am Kf1 Kd1; id \"castle\";", true, true,
       "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - ", "Kf1 Kd1", "castle"},
      // Zeros become the letter O so that 0-0 matches the written O-O.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - bm 0-0; id \"x\";", true, false, "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - ",
       "O-O", "x"},
      {"8/8/8/8/8/8/8/8 w - - c0 \"no operation\";", false, false, "", "", ""},
      {"4k3/8/8/8/8/8/8/4K3 w - - bm Kd2", true, false, "4k3/8/8/8/8/8/8/4K3 w - - ", "Kd2", ""},
  };
  for (const Case& c : cases) {
    const EpdTask task = parseEpdLine(c.line);
    EXPECT_EQ(task.hasOperation, c.hasOperation) << c.line;
    if (!c.hasOperation) continue;
    EXPECT_EQ(task.avoid, c.avoid) << c.line;
    EXPECT_EQ(task.position, c.position) << c.line;
    EXPECT_EQ(task.expected, c.expected) << c.line;
    EXPECT_EQ(task.id, c.id) << c.line;
  }
}

std::string sanOf(const std::string& fen, const std::string& coordinate) {
  const Board board = test::boardFromFen(fen);
  MoveList list;
  const int n = generatePseudoLegal(board, list.entries, sideToMoveInCheck(board));
  for (int i = 0; i < n; ++i) {
    const Move m = list.entries[i].move;
    std::string text{static_cast<char>('a' + fileOf(moveFrom(m))), static_cast<char>('1' + rankOf(moveFrom(m))),
                     static_cast<char>('a' + fileOf(moveTo(m))), static_cast<char>('1' + rankOf(moveTo(m)))};
    if (isPromotion(m)) text += PieceLetters[movePromotion(m)];
    if (text == coordinate) return suiteSanText(m, list.entries, n);
  }
  return "?";
}

TEST(SuiteSan, Disambiguation) {
  struct Case {
    const char* fen;
    const char* move;
    const char* san;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "b1d2", "Nbd2"},           // same rank: the file
      {"4k3/8/8/8/8/8/8/1N2K1N1 w - - 0 1", "g1f3", "Nf3"},           // only one knight reaches f3
      {"4k3/8/8/2N5/8/2N5/8/4K3 w - - 0 1", "c3e4", "N3e4"},          // same file: the rank
      {"4k3/8/8/1N6/8/8/2N5/4K3 w - - 0 1", "b5d4", "Nbd4"},          // neither shared: the file
      {"7k/8/2N1N3/8/8/8/4N3/7K w - - 0 1", "e6d4", "Ne6d4"},         // one shares the rank, one the file
      {"7k/8/1B3B2/8/8/8/1B6/7K w - - 0 1", "b6d4", "Bb6d4"},
      {"7k/8/1B6/8/8/8/1B6/7K w - - 0 1", "b6d4", "B6d4"},
      {"7k/8/8/8/R5R1/8/8/7K w - - 0 1", "g4d4", "Rgd4"},
      {"7k/3R4/8/8/8/8/8/3R3K w - - 0 1", "d7d4", "R7d4"},
      {"7k/Q2Q4/8/8/8/8/8/Q6K w - - 0 1", "a7d4", "Qa7d4"},
      {"7k/8/8/8/8/8/8/Q5QK w - - 0 1", "g1d4", "Qgd4"},
      {"4k3/8/8/8/4p3/3P4/8/4K3 w - - 0 1", "d3e4", "dxe4"},
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q", "b8=Q"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1h1", "O-O"},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1a1", "O-O-O"},
  };
  for (const Case& c : cases) EXPECT_EQ(sanOf(c.fen, c.move), c.san) << c.fen << " " << c.move;
}

TEST(FenCheck, AcceptsAndRejects) {
  struct Case {
    const char* line;
    bool valid;
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 ", true},
      {"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq e6 bm Bb5; id \"x\"; ", true},
      {"4k3/8/8/8/8/8/8/4K3 w - - ", true},
      {"4k2P/8/8/8/8/8/8/4K3 w - - 0 1 ", false},  // pawn on the last rank
      {"4k3/8/8/8/8/8/8/p3K3 w - - 0 1 ", false},  // pawn on the first rank
      {"4k3/8/8/8/8/8/8/3KK3 w - - 0 1 ", false},  // a second white king
      {"4k3/9/8/8/8/8/8/4K3 w - - 0 1 ", false},   // not a digit of the board
      {"4k3/44P/8/8/8/8/8/4K3 w - - 0 1 ", false},  // a rank of nine files
      {"4k3/8/8/8/8/8/8/4K3 x - - 0 1 ", false},
      {"4k3/8/8/8/8/8/8/4K3 w KX - 0 1 ", false},
      {"4k3/8/8/8/8/8/8/4K3 w - e3e3 0 1 ", false},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0000000000000000000000000000000 1 ", false},
      {"4k3/8/8/8/8/8/8/4K3 w -", false},
  };
  for (const Case& c : cases) EXPECT_EQ(checkFenSyntax(c.line), c.valid) << c.line;
}

TEST(ConsoleLine, ScoreTimeAndLayout) {
  EXPECT_EQ(consoleScoreText(35), "+0.35");
  EXPECT_EQ(consoleScoreText(-120), "-1.20");
  EXPECT_EQ(consoleScoreText(0), "+0.00");
  EXPECT_EQ(consoleScoreText(31999), "+M1");
  EXPECT_EQ(consoleScoreText(31995), "+M3");
  EXPECT_EQ(consoleScoreText(-31998), "-M1");
  EXPECT_EQ(durationText(3723456789ull), "01:02:03.456");
  const Move moves[2] = {encodeMove(6, 21, Knight), encodeMove(52, 36, Pawn)};
  EXPECT_EQ(consoleThinkingLine(0, 5, 7, 2, 0, 1600, 25, moves, 2), " 5/7 + 00:00:00.000 1600    100   +0.25 Ng1-f3 e7-e5 ");
  EXPECT_EQ(consoleThinkingLine(2, 5, 7, 0, 2000000, 1600, -25, moves, 1), "       00:00:02.000 1600      0   -0.25 Ng1-f3 ");
}

TEST(Benchmark, BuiltInPositions) {
  const auto& positions = benchmarkPositions();
  ASSERT_EQ(positions.size(), 24u);
  EXPECT_EQ(positions[0].substr(positions[0].size() - 2), "  ");
  for (std::size_t i = 1; i < positions.size(); ++i) {
    EXPECT_EQ(positions[i].back(), ' ');
    EXPECT_NE(positions[i][positions[i].size() - 2], ' ');
    EXPECT_NE(positions[i].find(" b "), std::string::npos);
  }
}

}  // namespace
}  // namespace talvik
