#include "board/makemove.h"

#include <gtest/gtest.h>

#include <random>

#include "board/movegen.h"
#include "search/game.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

using test::boardFromFen;

Move moveFromText(const Board& b, const char* text, bool chess960 = false) {
  const Move m = parseCoordinateMove(b, text, chess960);
  EXPECT_NE(m, NoMove) << text;
  return m;
}

// Plays `text` on `b`, checks that unmaking restores the board exactly, and
// leaves the move made.
void play(Board& b, const char* text, bool chess960 = false) {
  const Board before = b;
  const Move m = moveFromText(b, text, chess960);
  UndoRecord undo;
  makeMove(b, m, undo);
  Board undone = b;
  unmakeMove(undone, m, undo);
  EXPECT_EQ(undone, before) << text;
}

// The incrementally kept fields equal those of a fresh set-up.
void expectMatchesFreshSetup(const Board& b, const std::string& context) {
  const Board fresh = test::freshSetup(b);
  ASSERT_EQ(b.hashKey, fresh.hashKey) << context;
  ASSERT_EQ(b.pawnKey, fresh.pawnKey) << context;
  ASSERT_EQ(b.material[White], fresh.material[White]) << context;
  ASSERT_EQ(b.material[Black], fresh.material[Black]) << context;
  ASSERT_EQ(b.phase[White], fresh.phase[White]) << context;
  ASSERT_EQ(b.phase[Black], fresh.phase[Black]) << context;
  ASSERT_EQ(b.materialSig, fresh.materialSig) << context;
  ASSERT_EQ(b.occupied, fresh.occupied) << context;
  for (int i = 0; i < 16; ++i) ASSERT_EQ(b.pieceBB[i], fresh.pieceBB[i]) << context;
  ASSERT_EQ(b.colourBB[White], fresh.colourBB[White]) << context;
  ASSERT_EQ(b.kingSquare[White], fresh.kingSquare[White]) << context;
  ASSERT_EQ(b.kingSquare[Black], fresh.kingSquare[Black]) << context;
  ASSERT_EQ(b.castleRights, fresh.castleRights) << context;
  ASSERT_EQ(b.epFile, fresh.epFile) << context;
}

// Random games from every reference position, preferring castling,
// promotions and en passant whenever they are legal. Every legal move of
// every position on the way is made and unmade, and must restore the board
// bit for bit.
TEST(MakeMove, RandomGamesKeepEveryIncrementalField) {
  std::mt19937 rng(1234);
  int plies = 0, kingSideCastles960 = 0, queenSideCastles960 = 0, castles = 0, enPassants = 0, promotions = 0;
  const int gamesPerPosition = 12;
  for (const auto& ref : test::perftReferences()) {
    const bool chess960 = test::usesChess960Letters(ref.fen);
    for (int game = 0; game < gamesPerPosition; ++game) {
      Board b = boardFromFen(ref.fen);
      for (int ply = 0; ply < 200; ++ply) {
        const std::vector<Move> moves = test::legalMoves(b);
        if (moves.empty()) break;
        for (Move m : moves) {
          Board copy = b;
          UndoRecord undo;
          makeMove(copy, m, undo);
          unmakeMove(copy, m, undo);
          ASSERT_EQ(copy, b) << ref.fen << " move " << test::moveTexts({m})[0];
        }
        std::vector<Move> special;
        for (Move m : moves)
          if (isCastle(m) || isPromotion(m) || isEnPassant(m)) special.push_back(m);
        const Move m = !special.empty() && rng() % 4 != 0 ? special[rng() % special.size()] : moves[rng() % moves.size()];
        UndoRecord undo;
        makeMove(b, m, undo);
        ++plies;
        castles += isCastle(m);
        if (isCastle(m) && chess960) (moveFrom(m) < moveTo(m) ? kingSideCastles960 : queenSideCastles960)++;
        enPassants += isEnPassant(m);
        promotions += isPromotion(m);
        expectMatchesFreshSetup(b, ref.fen + " after " + test::moveTexts({m})[0]);
        if (HasFatalFailure()) return;
      }
    }
  }
  EXPECT_GT(plies, 2000);
  EXPECT_GT(kingSideCastles960, 5);
  EXPECT_GT(queenSideCastles960, 5);
  EXPECT_GT(castles, 20);
  EXPECT_GT(enPassants, 5);
  EXPECT_GT(promotions, 20);
}

TEST(MakeMove, DoublePushOpensEnPassantForOneMove) {
  Board b = boardFromFen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  play(b, "e2e4");
  EXPECT_EQ(b.epFile, 5);  // even with no black pawn to take
  EXPECT_EQ(b.hashKey, test::freshSetup(b).hashKey);
  play(b, "e8d8");
  EXPECT_EQ(b.epFile, 0);
  expectMatchesFreshSetup(b, "after e8d8");
}

TEST(MakeMove, CastlingRightsFollowKingsAndRooks) {
  struct Case {
    const char* fen;
    const char* move;
    std::uint8_t rights;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "a1a8", WhiteKingSide | BlackKingSide},  // takes a rook on its square
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1h8", WhiteQueenSide | BlackQueenSide},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "h1h2", WhiteQueenSide | BlackKingSide | BlackQueenSide},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "a8a7", WhiteKingSide | WhiteQueenSide | BlackKingSide},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1e2", BlackKingSide | BlackQueenSide},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", BlackKingSide | BlackQueenSide},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", WhiteKingSide | WhiteQueenSide},
      // A rook taken off a square that is not its wing's castling square.
      {"r3k2r/8/8/8/8/8/8/R3K1R1 b Qkq - 0 1", "h8h1", WhiteQueenSide | BlackQueenSide},
  };
  for (const Case& c : cases) {
    Board b = boardFromFen(c.fen);
    play(b, c.move);
    EXPECT_EQ(b.castleRights, c.rights) << c.fen << " " << c.move;
    expectMatchesFreshSetup(b, std::string(c.fen) + " " + c.move);
  }
}

TEST(MakeMove, Chess960CastlingWithKingOrRookAlreadyHome) {
  // King g1, rook h1: the king stays, the rook goes to f1.
  Board b = boardFromFen("4k3/8/8/8/8/8/8/6KR w K - 0 1");
  play(b, "g1h1", true);
  EXPECT_EQ(b.squareType[6], King);
  EXPECT_EQ(b.squareType[5], Rook);
  EXPECT_EQ(b.squareType[7], NoPiece);
  EXPECT_EQ(b.kingSquare[White], 6);
  expectMatchesFreshSetup(b, "g1h1");
  // King b1, rook a1: the king steps to c1, the rook jumps to d1.
  b = boardFromFen("4k3/8/8/8/8/8/8/RK6 w Q - 0 1");
  play(b, "b1a1", true);
  EXPECT_EQ(b.squareType[2], King);
  EXPECT_EQ(b.squareType[3], Rook);
  expectMatchesFreshSetup(b, "b1a1");
  // King f1, rook d1: the rook is already on its destination.
  b = boardFromFen("4k3/8/8/8/8/8/8/3R1K2 w Q - 0 1");
  play(b, "f1d1", true);
  EXPECT_EQ(b.squareType[2], King);
  EXPECT_EQ(b.squareType[3], Rook);
  EXPECT_EQ(b.occupied & 0xFF, 0x0Cull);
  expectMatchesFreshSetup(b, "f1d1");
}

TEST(MakeMove, ClockSaturatesAndResets) {
  Board b = boardFromFen("4k3/8/8/8/8/8/4P3/4K3 w - - 254 1");
  play(b, "e1d1");
  EXPECT_EQ(b.halfmoveClock, 255);
  play(b, "e8d8");
  EXPECT_EQ(b.halfmoveClock, 255);
  play(b, "e2e3");
  EXPECT_EQ(b.halfmoveClock, 0);
  // A capture by a piece resets it too.
  b = boardFromFen("4k3/8/8/8/8/8/3n4/4K3 w - - 30 1");
  play(b, "e1d2");
  EXPECT_EQ(b.halfmoveClock, 0);
}

TEST(MakeNullMove, PassesAndIsUndone) {
  Board b = boardFromFen("4k3/8/8/8/8/8/4P3/4K3 w - - 7 1");
  play(b, "e2e4");
  const Board before = b;
  UndoRecord undo;
  makeNullMove(b, undo);
  EXPECT_EQ(b.sideToMove, static_cast<std::uint32_t>(White));
  EXPECT_EQ(b.epFile, 0);
  EXPECT_EQ(b.halfmoveClock, 0);
  EXPECT_EQ(b.hashKey, test::freshSetup(b).hashKey);
  EXPECT_EQ(b.pawnKey, before.pawnKey);
  unmakeNullMove(b, undo);
  EXPECT_EQ(b, before);
}

}  // namespace
}  // namespace talvik
