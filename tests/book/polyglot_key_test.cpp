#include "book/polyglot_key.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/makemove.h"
#include "search/game.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

// The board after coordinate moves from the start position.
Board boardAfter(const std::string& moves) {
  initBitboardTables();
  Board board{};
  setupStartPosition(board);
  std::istringstream words(moves);
  for (std::string text; words >> text;) {
    const Move move = parseCoordinateMove(board, text, false);
    EXPECT_NE(move, NoMove) << text;
    UndoRecord undo;
    makeMove(board, move, undo);
  }
  return board;
}

TEST(PolyglotKey, PublishedReferenceKeys) {
  struct Case {
    const char* moves;
    const char* fen;
    std::uint64_t key;
  };
  const Case cases[] = {
      {"", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0x463b96181691fc9cull},
      {"e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0x823c9b50fd114196ull},
      {"e2e4 d7d5", "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", 0x0756b94461c50fb0ull},
      {"e2e4 d7d5 e4e5", "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 0x662fafb965db29d4ull},
      // En passant possible: the file counts.
      {"e2e4 d7d5 e4e5 f7f5", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
       0x22a48b5a8e47ff78ull},
      // Castling rights lost by king moves.
      {"e2e4 d7d5 e4e5 f7f5 e1e2", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3",
       0x652a607ca3f242c1ull},
      {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", "rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4",
       0x00fdd303c946bdd9ull},
      {"a2a4 b7b5 h2h4 b5b4 c2c4", "rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3",
       0x3c8123ea7b067637ull},
      // A rook move takes one castling right; the capture en passant happened.
      {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", "rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4",
       0x5c3f9b829b279560ull},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(polyglotKey(boardAfter(c.moves)), c.key) << c.moves;
    EXPECT_EQ(polyglotKey(test::boardFromFen(c.fen)), c.key) << c.fen;
  }
}

TEST(PolyglotKey, EnPassantFileOnlyWhenAPawnCanCapture) {
  // After 1.e4 no black pawn stands beside e4: the same key whether or not
  // the FEN names the en-passant square. Castling itself changes only the
  // pieces and the rights, so the moves and the FEN agree after O-O too.
  struct Case {
    const char* moves;
    const char* fen;
  };
  const Case cases[] = {
      {"e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
      {"e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 e1g1", "r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5 4"},
      {"e2e4 e7e5 g1f3 b8c6 f1c4 f8c5 e1g1 g8f6 d2d3 e8g8",
       "r1bq1rk1/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQ1RK1 w - - 1 6"},
  };
  for (const Case& c : cases) EXPECT_EQ(polyglotKey(boardAfter(c.moves)), polyglotKey(test::boardFromFen(c.fen))) << c.moves;
}

TEST(PolyglotKey, StandardCastlingGeometry) {
  struct Case {
    const char* fen;
    bool standard;
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", true},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},
      // Chess960 start positions with rights for rooks off the corners.
      {"bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w GEge - 0 1", false},
      {"rkrnnqbb/pppppppp/8/8/8/8/PPPPPPPP/RKRNNQBB w CAca - 0 1", false},
  };
  for (const Case& c : cases) EXPECT_EQ(hasStandardCastling(test::boardFromFen(c.fen)), c.standard) << c.fen;
}

}  // namespace
}  // namespace talvik
