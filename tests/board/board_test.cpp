#include "board/board.h"

#include <gtest/gtest.h>

#include "support/test_positions.h"

namespace talvik {
namespace {

using test::boardFromFen;

Bitboard squares(std::initializer_list<Square> list) {
  Bitboard b = 0;
  for (Square sq : list) b |= squareMask[sq];
  return b;
}

constexpr Square A1 = 0, B1 = 1, C1 = 2, D1 = 3, E1 = 4, F1 = 5, G1 = 6, H1 = 7;
constexpr Square A8 = 56, B8 = 57, C8 = 58, D8 = 59, E8 = 60, F8 = 61, G8 = 62, H8 = 63;

TEST(SetupBoard, StartPosition) {
  Board b;
  setupStartPosition(b);
  EXPECT_EQ(b.occupied, 0xFFFF00000000FFFFull);
  EXPECT_EQ(b.colourBB[White], 0xFFFFull);
  EXPECT_EQ(b.pieces(Pawn, Black), 0x00FF000000000000ull);
  EXPECT_EQ(b.pieces(Queen, White), squares({D1}));
  EXPECT_EQ(b.squareType[E1], King);
  EXPECT_EQ(b.squareType[B8], Knight);
  EXPECT_EQ(b.squareType[E8 - 24], NoPiece);
  EXPECT_EQ(b.phase[Black], 12);
  EXPECT_EQ(b.phase[White], 12);
  // Per colour: 8 pawns, 2 knights, 2 bishops, 2 rooks, 1 queen.
  EXPECT_EQ(b.materialSig, 0x0001222800012228ull);
  EXPECT_EQ(b.material[White], b.material[Black]);
  EXPECT_EQ(b.material[White], 8 * pieceValue[Pawn] + 2 * pieceValue[Knight] + 2 * pieceValue[Bishop] +
                                   2 * pieceValue[Rook] + pieceValue[Queen] + pieceValue[King]);
  EXPECT_EQ(b.kingSquare[Black], E8);
  EXPECT_EQ(b.kingSquare[White], E1);
  EXPECT_EQ(b.sideToMove, static_cast<std::uint32_t>(White));
  EXPECT_EQ(b.castleRights, 15);
  EXPECT_EQ(b.epFile, 0);
  EXPECT_EQ(b.halfmoveClock, 0);
  EXPECT_EQ(b.inCheck, 0);
  EXPECT_EQ(b.castleKingFrom[Black], E8);
  EXPECT_EQ(b.castleKingFrom[White], E1);
  EXPECT_EQ(b.castleRookFrom[KingSide][Black], H8);
  EXPECT_EQ(b.castleRookFrom[KingSide][White], H1);
  EXPECT_EQ(b.castleRookFrom[QueenSide][Black], A8);
  EXPECT_EQ(b.castleRookFrom[QueenSide][White], A1);
  EXPECT_EQ(b.castlePath[KingSide][White], squares({F1, G1}));
  EXPECT_EQ(b.castlePath[QueenSide][White], squares({B1, C1, D1}));
  EXPECT_EQ(b.castlePath[KingSide][Black], squares({F8, G8}));
  EXPECT_EQ(b.castlePath[QueenSide][Black], squares({B8, C8, D8}));
}

// Chess960 castling geometry: the king's and rook's start squares and the
// squares that must be empty (both travel paths, minus their start squares).
TEST(SetupBoard, Chess960CastlingGeometry) {
  struct Case {
    const char* fen;
    int colour;
    Square king, kingSideRook, queenSideRook;
    Bitboard kingSidePath, queenSidePath;
  };
  const Case cases[] = {
      // King b1 between rooks a1 and c1: the queen-side rook jumps to d1 over c1.
      {"rkrbqnbn/pppppppp/8/8/8/8/PPPPPPPP/RKRBQNBN w CAca - 0 1", White, B1, C1, A1, squares({D1, E1, F1, G1}),
       squares({C1, D1})},
      {"rkrbqnbn/pppppppp/8/8/8/8/PPPPPPPP/RKRBQNBN w CAca - 0 1", Black, B8, C8, A8, squares({D8, E8, F8, G8}),
       squares({C8, D8})},
      // King g1 between rooks f1 and h1: castling short needs f1, the other
      // rook's square, empty.
      {"bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9", White, G1, H1, F1, squares({F1}),
       squares({C1, D1, E1})},
      // King f1, rooks c1 and g1.
      {"bnrbnkrq/pppppppp/8/8/8/8/PPPPPPPP/BNRBNKRQ w GCgc - 0 1", White, F1, G1, C1, 0, squares({D1, E1})},
      // King c1, rooks b1 and d1: the queen-side king stays on c1, its rook
      // needs d1.
      {"nrkrbqbn/pppppppp/8/8/8/8/PPPPPPPP/NRKRBQBN w DBdb - 0 1", White, C1, D1, B1, squares({E1, F1, G1}),
       squares({D1})},
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(b.castleRights, 15) << c.fen;
    EXPECT_EQ(b.castleKingFrom[c.colour], c.king) << c.fen;
    EXPECT_EQ(b.castleRookFrom[KingSide][c.colour], c.kingSideRook) << c.fen;
    EXPECT_EQ(b.castleRookFrom[QueenSide][c.colour], c.queenSideRook) << c.fen;
    EXPECT_EQ(b.castlePath[KingSide][c.colour], c.kingSidePath) << c.fen;
    EXPECT_EQ(b.castlePath[QueenSide][c.colour], c.queenSidePath) << c.fen;
  }
}

TEST(SetupBoard, CastlingRookIsTheOutermostOnItsWing) {
  // King b1, rooks a1 and c1, only the queen-side right: a1 is the one.
  Board b = boardFromFen("4k3/8/8/8/8/8/8/RKR5 w Q - 0 1");
  EXPECT_EQ(b.castleRights, WhiteQueenSide);
  EXPECT_EQ(b.castleRookFrom[QueenSide][White], A1);
  // King e1, rooks g1 and h1, only the king-side right: h1, and the path
  // includes g1.
  b = boardFromFen("4k3/8/8/8/8/8/8/4K1RR w K - 0 1");
  EXPECT_EQ(b.castleRights, WhiteKingSide);
  EXPECT_EQ(b.castleRookFrom[KingSide][White], H1);
  EXPECT_EQ(b.castlePath[KingSide][White], squares({F1, G1}));
  // A right dropped for want of a rook leaves no castling start square.
  b = boardFromFen("5k2/8/8/8/8/8/8/4K3 b k - 0 1");
  EXPECT_EQ(b.castleRights, 0);
  EXPECT_EQ(b.castleKingFrom[Black], E8);
}

TEST(SetupBoard, DropsRightsThePositionCannotSupport) {
  struct Case {
    const char* fen;
    std::uint8_t rights;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/4K3/R6R w KQkq - 0 1", BlackKingSide | BlackQueenSide},  // white king off rank 1
      {"r3k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1", WhiteQueenSide | BlackKingSide | BlackQueenSide},  // no h1 rook
      {"4k3/8/8/8/8/8/8/K6R w KQ - 0 1", WhiteKingSide},  // king on a1: nothing beyond it
      {"r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1", 0},
      {"1r2k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", 15},  // b8 rook serves the queen side
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(b.castleRights, c.rights) << c.fen;
    // The key holds only the rights that remain.
    EXPECT_EQ(b.hashKey, computeHashKey(b)) << c.fen;
    Board expected = b;
    expected.castleRights = c.rights;
    EXPECT_EQ(b.hashKey, computeHashKey(expected));
  }
  const Board dropped = boardFromFen("r3k2r/8/8/8/8/8/4K3/R6R w KQkq - 0 1");
  const Board plain = boardFromFen("r3k2r/8/8/8/8/8/4K3/R6R w kq - 0 1");
  EXPECT_EQ(dropped.hashKey, plain.hashKey);
}

TEST(SetupBoard, EnPassantFileNeedsThePushedPawn) {
  EXPECT_EQ(boardFromFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1").epFile, 4);
  // No black pawn on d5, or the squares it crossed are not empty.
  EXPECT_EQ(boardFromFen("4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1").epFile, 0);
  EXPECT_EQ(boardFromFen("4k3/3p4/8/3pP3/8/8/8/4K3 w - d6 0 1").epFile, 0);
  EXPECT_EQ(boardFromFen("4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1").epFile, 0);
  EXPECT_EQ(boardFromFen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1").epFile, 4);
  EXPECT_EQ(boardFromFen("4k3/8/8/8/3Np3/8/8/4K3 b - d3 0 1").epFile, 0);
}

TEST(SetupBoard, CodesOutsideOneToSixLeaveTheSquareEmpty) {
  std::int8_t mailbox[64] = {};
  mailbox[4] = King;
  mailbox[60] = -King;
  mailbox[10] = 7;
  mailbox[11] = -7;
  mailbox[12] = 100;
  mailbox[13] = -128;
  Board b;
  setupBoard(b, mailbox, White, 0, 0, 0);
  EXPECT_EQ(b.occupied, squares({4, 60}));
  for (Square sq : {10, 11, 12, 13}) EXPECT_EQ(b.squareType[sq], NoPiece);
  EXPECT_EQ(b.materialSig, 0u);
}

TEST(SquareAttack, SlidersSeeThroughTheLiftedKing) {
  // White rook a1 checks the black king on d1; e1, behind the king, is
  // covered only once the king is taken off the board.
  const Board b = boardFromFen("8/8/8/8/8/8/8/R2k2K1 b - - 0 1");
  EXPECT_TRUE(isSquareAttacked(b, D1, White));
  EXPECT_FALSE(isSquareAttacked(b, E1, White));
  EXPECT_TRUE(isSquareAttackedOcc(b, E1, White, b.occupied & ~squareMask[D1]));
  // The same on a diagonal: bishop a5 checks the king on d2; e1 lies behind.
  const Board d = boardFromFen("8/8/8/B7/8/8/3k4/6K1 b - - 0 1");
  EXPECT_TRUE(isSquareAttacked(d, 11, White));
  EXPECT_FALSE(isSquareAttacked(d, 4, White));
  EXPECT_TRUE(isSquareAttackedOcc(d, 4, White, d.occupied & ~squareMask[11]));
}

// Each kind of attacker, for each colour, and the fixed-colour shorthands.
TEST(SquareAttack, EveryAttackerKind) {
  struct Case {
    const char* fen;
    Square target;
    bool byWhite, byBlack;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", 20, true, false},       // pawn d2 -> e3
      {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", 19, false, false},      // not straight ahead
      {"4k3/3p4/8/8/8/8/8/4K3 w - - 0 1", 44, false, true},       // pawn d7 -> e6
      {"4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", 16, true, false},       // knight b1 -> a3
      {"4k3/8/8/8/8/8/8/1N2K3 w - - 0 1", 17, false, false},
      {"4k3/8/8/8/8/2p5/8/B3K3 w - - 0 1", 27, false, false},     // bishop a1 blocked on c3
      {"4k3/8/8/8/8/8/8/B3K3 w - - 0 1", 63, true, false},
      {"q3k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, false, true},         // queen a8 down the file
      {"q3k3/8/8/8/8/8/8/4K3 w - - 0 1", 63, false, false},       // the rank is blocked on e8
      {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 1, false, true},         // rook a1 along rank 1
      {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", 6, false, false},        // stopped by the king on e1
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 13, true, false},         // king e1 -> f2
  };
  for (const Case& c : cases) {
    const Board b = boardFromFen(c.fen);
    EXPECT_EQ(isSquareAttacked(b, c.target, White), c.byWhite) << c.fen << " square " << c.target;
    EXPECT_EQ(isSquareAttacked(b, c.target, Black), c.byBlack) << c.fen << " square " << c.target;
    EXPECT_EQ(isAttackedByWhite(b, c.target), c.byWhite);
    EXPECT_EQ(isAttackedByBlack(b, c.target), c.byBlack);
  }
}

// Opening books store these keys: a change of any key table must be a
// deliberate, visible decision.
TEST(Zobrist, KeysStayFixed) {
  EXPECT_EQ(sideKey, 0xf039404e0dd3333full);
  for (int type : {0, 7})
    for (int colour : {0, 1})
      for (Square sq : {0, 35, 63}) EXPECT_EQ(pieceKey[colour][type][sq], 0u);
  EXPECT_EQ(castleKey[0], 0u);
  EXPECT_EQ(epKey[0], 0u);
  EXPECT_EQ(pieceKey[Black][Pawn][0], 0x840559a81664946dull);
  EXPECT_EQ(pieceKey[White][King][4], 0x1beb014945b749bfull);
  EXPECT_EQ(pieceKey[Black][Queen][59], 0xa7d19f5320c14833ull);
  EXPECT_EQ(castleKey[15], 0x1258504e94c3bc95ull);
  EXPECT_EQ(epKey[8], 0x8480ffa0b8916e21ull);
  Board start;
  setupStartPosition(start);
  EXPECT_EQ(start.hashKey, 0x81e16140c9765c1full);
  EXPECT_EQ(start.pawnKey, 0xcc22bf5a8b44fa33ull);
}

}  // namespace
}  // namespace talvik
