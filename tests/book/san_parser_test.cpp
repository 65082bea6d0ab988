#include "book/san_parser.h"

#include <gtest/gtest.h>

#include "board/move_text.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

struct SanCase {
  const char* fen;
  const char* san;
  const char* expected;  // coordinate text, "" when the text names no move
};

// A file, a rank or both name the piece when several of its kind reach the
// square. Most cases name a piece other than the one on the lowest square,
// which the reader would take without the letters.
TEST(SanParser, Disambiguation) {
  const SanCase cases[] = {
      // Knights
      {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nfd2", "f1d2"},
      {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Nbd2", "b1d2"},
      {"4k3/8/8/5N2/8/5N2/8/4K3 w - - 0 1", "N5d4", "f5d4"},
      {"4k3/8/8/5N2/8/5N2/8/4K3 w - - 0 1", "N3d4", "f3d4"},
      {"7k/8/2N1N3/8/8/8/4N3/7K w - - 0 1", "Ne6d4", "e6d4"},
      {"7k/8/2N1N3/8/8/8/4N3/7K w - - 0 1", "Nc6d4", "c6d4"},
      {"4k3/8/5n2/8/5n2/8/8/4K3 b - - 0 1", "N6d5", "f6d5"},
      // Bishops
      {"7k/8/8/8/8/8/1B3B2/7K w - - 0 1", "Bfd4", "f2d4"},
      {"7k/8/1B6/8/8/8/1B6/7K w - - 0 1", "B6d4", "b6d4"},
      {"7k/8/1B3B2/8/8/8/1B6/7K w - - 0 1", "Bb6d4", "b6d4"},
      // Rooks (never both: a rook sharing a file and one sharing a rank
      // with the mover cannot both reach the same square)
      {"7k/8/8/8/R5R1/8/8/7K w - - 0 1", "Rgd4", "g4d4"},
      {"7k/3R4/8/8/8/8/8/3R3K w - - 0 1", "R7d4", "d7d4"},
      {"7k/3R4/8/8/8/8/8/3R3K w - - 0 1", "R7xd4", "d7d4"},
      // Queens
      {"7k/8/8/8/8/8/8/Q5QK w - - 0 1", "Qgd4", "g1d4"},
      {"7k/3Q4/8/8/8/8/8/3Q3K w - - 0 1", "Q7d4+", "d7d4"},
      {"7k/Q2Q4/8/8/8/8/8/Q6K w - - 0 1", "Qa7d4", "a7d4"},
      {"7k/Q2Q4/8/8/8/8/8/Q6K w - - 0 1", "Qd7d4", "d7d4"},
      // A file or rank that names none of them
      {"4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", "Ncd2", ""},
      {"4k3/8/8/5N2/8/5N2/8/4K3 w - - 0 1", "N4d4", ""},
  };
  for (const SanCase& c : cases) {
    const Board board = test::boardFromFen(c.fen);
    const Move move = parseSan(board, c.san);
    EXPECT_EQ(move == NoMove ? "" : moveToCoordinate(move, false), c.expected) << c.fen << " " << c.san;
  }
}

}  // namespace
}  // namespace talvik
