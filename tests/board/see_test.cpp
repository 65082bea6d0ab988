#include "board/see.h"

#include <gtest/gtest.h>

#include "board/move_text.h"
#include "board/movegen.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

// The pseudo-legal move with this coordinate text (legality does not matter
// to the exchange).
Move pseudoLegalMove(const Board& board, const std::string& text) {
  MoveList list;
  const int count = generatePseudoLegal(board, list.entries, sideToMoveInCheck(board));
  for (int i = 0; i < count; ++i)
    if (moveToCoordinate(list.entries[i].move, false) == text) return list.entries[i].move;
  return NoMove;
}

struct ExchangeCase {
  const char* fen;
  const char* move;
  int expected;
};

TEST(StaticExchange, Values) {
  const ExchangeCase cases[] = {
      // A pawn takes an undefended knight.
      {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 325},
      // A queen takes a pawn defended by a pawn.
      {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -875},
      // Doubled rooks: the rook behind joins by x-ray, so recapturing loses.
      {"3r3k/3r4/8/8/8/8/3R4/3R3K w - - 0 1", "d2d7", 500},
      // The same with a single white rook: the exchange is even.
      {"3r3k/3r4/8/8/8/8/3R4/7K w - - 0 1", "d2d7", 0},
      // A queen behind a bishop on the diagonal.
      {"6k1/8/8/3p4/8/8/6B1/7Q w - - 0 1", "g2d5", 100},
      // Bxd5 exd5 Qxd5: a bishop for two pawns.
      {"6k1/8/4p3/3p4/8/8/6B1/7Q w - - 0 1", "g2d5", 200 - 325},
      // A king takes a defended pawn: a heavy loss.
      {"4k3/8/8/8/2p1K3/3p4/8/8 w - - 0 1", "e4d3", 100 - 5000},
      // A knight steps where only an enemy pawn attacks.
      {"4k3/8/8/2p5/8/8/2N5/4K3 w - - 0 1", "c2d4", -325},
      // En passant with nobody else attacking.
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 100},
      // En passant clears the file for a rook behind the captured pawn's square.
      {"3r2k1/8/8/3pP3/8/8/8/3R2K1 w - d6 0 1", "e5d6", 100},
      // A bishop for a knight defended by a pawn: even.
      {"4k3/8/2p5/3n4/8/5B2/8/4K3 w - - 0 1", "f3d5", 0},
      // Black to move: the least valuable recapture is chosen.
      {"4k3/8/8/3q4/4P3/2N5/8/4K3 b - - 0 1", "d5e4", 100 - 975},
      // X-rays opened by a recapture, behind either side's capturer:
      // NxP RxN NxR Rd8xN, the second black rook joins from behind the first.
      {"3r3k/3r4/8/3p4/8/2N1N3/8/6K1 w - - 0 1", "e3d5", 100 - 325 + 500 - 325},
      // NxP NxN RxN BxR Rd1xB, the white rook behind the first one joins.
      {"7k/1b6/5n2/3p4/8/4N3/3R4/3R2K1 w - - 0 1", "e3d5", 100 - 325 + 325 - 500 + 325},
      // NxP cxN, and White stops: RxP would lose the rook to the queen
      // behind the recapturing pawn.
      {"7k/1q6/2p5/3p4/8/4N3/8/3R2K1 w - - 0 1", "e3d5", 100 - 325},
      // Black to move: NxP RxN NxR Qd1xN, White's queen behind its rook.
      {"7k/8/8/1n3n2/3P4/8/3R4/3Q2K1 b - - 0 1", "f5d4", 100 - 325 + 500 - 325},
      // A pawn push opens the file for the rook behind it: exd5 Rxd5.
      {"4k3/8/4p3/8/3P4/8/8/3RK3 w - - 0 1", "d4d5", 0},
      // A promotion counts as a pawn move.
      {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q", 0},
      {"1r2k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7b8q", 500},
      // Castling is never an exchange.
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", 0},
  };
  for (const ExchangeCase& c : cases) {
    const Board board = test::boardFromFen(c.fen);
    const Move move = pseudoLegalMove(board, c.move);
    ASSERT_NE(move, NoMove) << c.fen << " " << c.move;
    EXPECT_EQ(staticExchange(board, move), c.expected) << c.fen << " " << c.move;
  }
}

}  // namespace
}  // namespace talvik
