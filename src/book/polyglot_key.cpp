#include "book/polyglot_key.h"

#include "book/polyglot_keys.h"

namespace talvik {

namespace {

// The format's piece kinds run black pawn, white pawn, black knight, ...
constexpr int pieceKind(int type, int colour) { return 2 * (type - Pawn) + (colour == White ? 1 : 0); }

// A pawn of the side to move beside the pawn that just advanced two squares.
bool enPassantCapturePossible(const Board& board) {
  if (board.epFile == 0) return false;
  const int us = static_cast<int>(board.sideToMove);
  const int file = board.epFile - 1;
  const Square pushed = makeSquare(file, us == White ? 4 : 3);
  Bitboard beside = 0;
  if (file > 0) beside |= squareMask[pushed - 1];
  if (file < 7) beside |= squareMask[pushed + 1];
  return (board.pieces(Pawn, us) & beside) != 0;
}

}  // namespace

std::uint64_t polyglotKey(const Board& board) {
  std::uint64_t key = 0;
  for (int colour = Black; colour <= White; ++colour)
    for (int type = Pawn; type <= King; ++type)
      for (Bitboard bb = board.pieces(type, colour); bb;)
        key ^= polyglotRandom[PolyglotPieceKeys + 64 * pieceKind(type, colour) + popLowest(bb)];
  const std::uint8_t rights[4] = {WhiteKingSide, WhiteQueenSide, BlackKingSide, BlackQueenSide};
  for (int i = 0; i < 4; ++i)
    if (board.castleRights & rights[i]) key ^= polyglotRandom[PolyglotCastleKeys + i];
  if (enPassantCapturePossible(board)) key ^= polyglotRandom[PolyglotEnPassantKeys + board.epFile - 1];
  if (board.sideToMove == White) key ^= polyglotRandom[PolyglotTurnKey];
  return key;
}

bool hasStandardCastling(const Board& board) {
  struct Right {
    std::uint8_t bit;
    int colour;
    int wing;
    Square king;
    Square rook;
  };
  constexpr Right rights[4] = {{WhiteKingSide, White, KingSide, 4, 7},
                               {WhiteQueenSide, White, QueenSide, 4, 0},
                               {BlackKingSide, Black, KingSide, 60, 63},
                               {BlackQueenSide, Black, QueenSide, 60, 56}};
  for (const Right& r : rights)
    if ((board.castleRights & r.bit) &&
        (board.castleKingFrom[r.colour] != r.king || board.castleRookFrom[r.wing][r.colour] != r.rook))
      return false;
  return true;
}

}  // namespace talvik
