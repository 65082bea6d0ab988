#include "board/board.h"

#include <algorithm>
#include <cstring>

namespace talvik {

std::int32_t pieceValue[8] = {0, 100, 325, 325, 500, 975, 0, 0};

const std::int8_t StartMailbox[64] = {
    4,  2,  3,  5,  6,  3,  2,  4,   //
    1,  1,  1,  1,  1,  1,  1,  1,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    -1, -1, -1, -1, -1, -1, -1, -1,  //
    -4, -2, -3, -5, -6, -3, -2, -4};

namespace {

// All squares from a to b on one rank, both included.
Bitboard rankSpan(Square a, Square b) {
  Bitboard span = 0;
  for (Square sq = std::min(a, b); sq <= std::max(a, b); ++sq) span |= squareMask[sq];
  return span;
}

struct WingInfo {
  std::uint8_t right;
  int colour;
  int wing;
};
inline constexpr WingInfo Wings[4] = {{WhiteKingSide, White, KingSide},
                                      {WhiteQueenSide, White, QueenSide},
                                      {BlackKingSide, Black, KingSide},
                                      {BlackQueenSide, Black, QueenSide}};

void setupCastling(Board& board) {
  const bool whiteKingHome = board.pieces(King, White) && rankOf(board.kingSquare[White]) == 0;
  const bool blackKingHome = board.pieces(King, Black) && rankOf(board.kingSquare[Black]) == 7;
  if (!whiteKingHome) board.castleRights &= ~(WhiteKingSide | WhiteQueenSide);
  if (!blackKingHome) board.castleRights &= ~(BlackKingSide | BlackQueenSide);

  board.castleRookFrom[KingSide][Black] = 63;
  board.castleRookFrom[KingSide][White] = 7;
  board.castleRookFrom[QueenSide][Black] = 56;
  board.castleRookFrom[QueenSide][White] = 0;
  std::memset(board.castlePath, 0, sizeof board.castlePath);

  for (const WingInfo& w : Wings) {
    if (!(board.castleRights & w.right)) continue;
    const int backRank = w.colour == White ? 0 : 7;
    const int kingFile = fileOf(board.kingSquare[w.colour]);
    const Bitboard rooks = board.pieces(Rook, w.colour);
    // The castling rook is the one furthest from the king on that wing.
    int rookFile = -1;
    if (w.wing == KingSide) {
      for (int f = kingFile + 1; f < 8; ++f)
        if (rooks & squareMask[makeSquare(f, backRank)]) rookFile = f;
    } else {
      for (int f = kingFile - 1; f >= 0; --f)
        if (rooks & squareMask[makeSquare(f, backRank)]) rookFile = f;
    }
    if (rookFile < 0) {
      board.castleRights &= ~w.right;
      continue;
    }
    const Square kingFrom = board.kingSquare[w.colour];
    const Square rookFrom = makeSquare(rookFile, backRank);
    const Square kingTo = makeSquare(w.wing == KingSide ? 6 : 2, backRank);
    const Square rookTo = makeSquare(w.wing == KingSide ? 5 : 3, backRank);
    board.castleRookFrom[w.wing][w.colour] = rookFrom;
    board.castlePath[w.wing][w.colour] =
        (rankSpan(kingFrom, kingTo) | rankSpan(rookFrom, rookTo)) & ~squareMask[kingFrom] & ~squareMask[rookFrom];
  }
  // Only a king that can still castle has a castling start square; a right
  // dropped for want of a rook must not leave one behind (move text reads a
  // king step from it as castling).
  board.castleKingFrom[Black] = board.castleRights & (BlackKingSide | BlackQueenSide) ? board.kingSquare[Black] : 60;
  board.castleKingFrom[White] = board.castleRights & (WhiteKingSide | WhiteQueenSide) ? board.kingSquare[White] : 4;
}

// An en-passant file only makes sense when the pawn that just advanced two
// squares is really there and the squares it crossed are empty; anything else
// would let a pawn capture "en passant" a piece that is not a pawn.
bool epFileIsPlausible(const Board& board) {
  if (board.epFile == 0 || board.epFile > 8) return false;
  const int mover = static_cast<int>(board.sideToMove);
  const int file = board.epFile - 1;
  const Square pawnSq = makeSquare(file, mover == White ? 4 : 3);
  const Square crossed = makeSquare(file, mover == White ? 5 : 2);
  const Square origin = makeSquare(file, mover == White ? 6 : 1);
  return (board.pieces(Pawn, mover ^ 1) & squareMask[pawnSq]) && !(board.occupied & squareMask[crossed]) &&
         !(board.occupied & squareMask[origin]);
}

}  // namespace

void setupBoard(Board& board, const std::int8_t mailbox[64], std::uint32_t side, std::uint8_t castleRights,
                std::uint8_t epFile, std::uint8_t halfmoveClock) {
  std::memset(&board, 0, sizeof board);
  for (Square sq = 0; sq < 64; ++sq) {
    const int code = mailbox[sq];
    const int type = code < 0 ? -code : code;
    if (type < Pawn || type > King) continue;
    const int colour = code > 0 ? White : Black;
    board.occupied |= squareMask[sq];
    board.colourBB[colour] |= squareMask[sq];
    board.pieceBB[pieceIndex(type, colour)] |= squareMask[sq];
    board.squareType[sq] = static_cast<std::uint8_t>(type);
    board.material[colour] += pieceValue[type];
    board.phase[colour] += phaseWeight[type];
    board.materialSig += materialUnit(type, colour);
    if (type == King) board.kingSquare[colour] = sq;
  }
  board.sideToMove = side ? White : Black;
  board.castleRights = castleRights & 15;
  board.epFile = epFile;
  if (!epFileIsPlausible(board)) board.epFile = 0;
  board.halfmoveClock = halfmoveClock;
  board.inCheck = 0;
  setupCastling(board);
  board.hashKey = computeHashKey(board);
  board.pawnKey = computePawnKey(board);
}

void setupStartPosition(Board& board) { setupBoard(board, StartMailbox, White, 15, 0, 0); }

std::uint64_t computePawnKey(const Board& board) {
  std::uint64_t key = 0;
  for (int colour = 0; colour < 2; ++colour)
    for (Bitboard b = board.pieces(Pawn, colour); b;) key ^= pieceKey[colour][Pawn][popLowest(b)];
  return key;
}

std::uint64_t computeHashKey(const Board& board) {
  std::uint64_t key = 0;
  for (Bitboard b = board.occupied; b;) {
    const Square sq = popLowest(b);
    key ^= pieceKey[board.colourOn(sq)][board.squareType[sq]][sq];
  }
  key ^= castleKey[board.castleRights & 15];
  key ^= epKey[board.epFile <= 8 ? board.epFile : 0];
  if (board.sideToMove == Black) key ^= sideKey;
  return key;
}

}  // namespace talvik
