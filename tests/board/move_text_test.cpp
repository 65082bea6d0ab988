#include "board/move_text.h"

#include <gtest/gtest.h>

namespace talvik {
namespace {

TEST(MoveText, CoordinatesAndDisplay) {
  struct Case {
    Move move;
    const char* standard;
    const char* chess960;
    const char* display;
  };
  const Case cases[] = {
      {encodeMove(6, 21, Knight), "g1f3", "g1f3", "Ng1-f3"},
      {encodeMove(12, 28, Pawn), "e2e4", "e2e4", "e2-e4"},
      {encodeMove(33, 42, Bishop, Knight), "b5c6", "b5c6", "Bb5xc6"},
      {encodeMove(36, 43, Pawn, Pawn, NoPiece, EnPassantFlag), "e5d6", "e5d6", "e5xd6e.p"},
      {encodeMove(52, 60, Pawn, NoPiece, Queen), "e7e8q", "e7e8q", "e7-e8=Q"},
      {encodeMove(9, 0, Pawn, Rook, Knight), "b2a1n", "b2a1n", "b2xa1=N"},
      // Castling is stored as the king taking its own rook.
      {encodeMove(4, 7, King, NoPiece, NoPiece, CastleFlag), "e1g1", "e1h1", "O-O"},
      {encodeMove(4, 0, King, NoPiece, NoPiece, CastleFlag), "e1c1", "e1a1", "O-O-O"},
      {encodeMove(60, 63, King, NoPiece, NoPiece, CastleFlag), "e8g8", "e8h8", "O-O"},
      {encodeMove(60, 56, King, NoPiece, NoPiece, CastleFlag), "e8c8", "e8a8", "O-O-O"},
      // A Chess960 rook on another square is written as its own square.
      {encodeMove(1, 2, King, NoPiece, NoPiece, CastleFlag), "b1c1", "b1c1", "O-O"},
      {encodeMove(5, 3, King, NoPiece, NoPiece, CastleFlag), "f1d1", "f1d1", "O-O-O"},
      {NoMove, "0000", "0000", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(moveToCoordinate(c.move, false), c.standard);
    EXPECT_EQ(moveToCoordinate(c.move, true), c.chess960);
    EXPECT_EQ(moveToDisplayText(c.move), c.display);
  }
}

TEST(MoveText, LinesAreSeparatedBySingleSpaces) {
  const Move line[] = {encodeMove(12, 28, Pawn), encodeMove(52, 36, Pawn), encodeMove(4, 7, King, 0, 0, CastleFlag)};
  EXPECT_EQ(movesToText(line, 3, false), "e2e4 e7e5 e1g1");
  EXPECT_EQ(movesToText(line, 3, true), "e2e4 e7e5 e1h1");
  EXPECT_EQ(movesToText(line, 0, false), "");
  EXPECT_EQ(movesToText(line, -1, false), "");
}

}  // namespace
}  // namespace talvik
