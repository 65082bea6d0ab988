// The position record every part of the engine reads.
#pragma once

#include "board/bitboard.h"
#include "board/types.h"
#include "board/zobrist.h"

namespace talvik {

// Material values by piece type. Owned by the evaluation parameters (they are
// rewritten when parameters are installed) but kept here because every Board
// carries incremental material sums.
extern std::int32_t pieceValue[8];

inline constexpr std::int32_t phaseWeight[8] = {0, 0, 1, 1, 2, 4, 0, 0};
// By capturing side: square of the pawn taken en passant = target + offset.
inline constexpr std::int32_t epCaptureOffset[2] = {8, -8};

// Unit that one piece of a type and colour adds to Board::materialSig
// (a 4-bit count per colour and type; kings are not counted).
constexpr std::uint64_t materialUnit(int type, int colour) {
  return type >= Pawn && type <= Queen ? std::uint64_t{1} << (4 * (type - 1) + 32 * colour) : 0;
}

struct Board {
  std::uint64_t hashKey;        // Zobrist key of the whole position
  std::uint64_t pawnKey;        // Zobrist key of the pawns alone
  Bitboard occupied;
  Bitboard colourBB[2];
  Bitboard pieceBB[16];         // by pieceIndex(type, colour)
  std::uint8_t squareType[64];  // piece type on each square, 0 if empty
  std::int32_t material[2];     // sum of pieceValue per colour
  std::uint32_t sideToMove;     // Black 0, White 1
  std::int32_t phase[2];        // sum of phaseWeight per colour (12 each at the start)
  std::uint64_t materialSig;    // piece counts, see materialUnit()
  std::int32_t kingSquare[2];
  std::uint8_t castleRights;    // WhiteKingSide | WhiteQueenSide | BlackKingSide | BlackQueenSide
  std::uint8_t epFile;          // 0 = none, else file + 1 of the pawn that just advanced two squares
  std::uint8_t halfmoveClock;   // plies since the last capture or pawn move (modulo 256)
  std::uint8_t inCheck;         // side to move in check; kept only for the search root
  Bitboard castlePath[2][2];    // [wing][colour]: squares that must be empty to castle
  std::int32_t castleKingFrom[2];
  std::int32_t castleRookFrom[2][2];  // [wing][colour]

  Bitboard pieces(int type, int colour) const { return pieceBB[pieceIndex(type, colour)]; }
  int colourOn(Square sq) const { return (colourBB[White] >> sq) & 1; }
  friend bool operator==(const Board&, const Board&) = default;
};

// Fills every field of `board` from a signed mailbox (+type white, -type black,
// any other value empty). Castling rights that the position cannot support are
// dropped; the castling rook of each wing is the outermost rook on that side
// of the king, which is how plain KQkq rights are read in Chess960.
void setupBoard(Board& board, const std::int8_t mailbox[64], std::uint32_t side, std::uint8_t castleRights,
                std::uint8_t epFile, std::uint8_t halfmoveClock);
void setupStartPosition(Board& board);

// The standard initial array as a mailbox.
extern const std::int8_t StartMailbox[64];

// True if any piece of `attacker` attacks `sq`; sliders see through nothing
// but `occupancy`.
inline bool isSquareAttackedOcc(const Board& board, Square sq, int attacker, Bitboard occupancy) {
  if (board.pieces(Pawn, attacker) & pawnAttacks[attacker ^ 1][sq]) return true;
  if (board.pieces(Knight, attacker) & knightAttacks[sq]) return true;
  if (board.pieces(King, attacker) & kingAttacks[sq]) return true;
  const Bitboard queens = board.pieces(Queen, attacker);
  const Bitboard diagonal = (board.pieces(Bishop, attacker) | queens) & bishopRays[sq];
  if (diagonal && (diagonal & bishopAttacks(sq, occupancy))) return true;
  const Bitboard straight = (board.pieces(Rook, attacker) | queens) & rookRays[sq];
  return straight && (straight & rookAttacks(sq, occupancy));
}
inline bool isSquareAttacked(const Board& board, Square sq, int attacker) {
  return isSquareAttackedOcc(board, sq, attacker, board.occupied);
}
inline bool isAttackedByWhite(const Board& board, Square sq) { return isSquareAttacked(board, sq, White); }
inline bool isAttackedByBlack(const Board& board, Square sq) { return isSquareAttacked(board, sq, Black); }

// All pieces of both colours that attack `sq` through `occupancy`.
inline Bitboard attackersOf(const Board& board, Square sq, Bitboard occupancy) {
  const Bitboard bishopsQueens = board.pieceBB[pieceIndex(Bishop, Black)] | board.pieceBB[pieceIndex(Bishop, White)] |
                                 board.pieceBB[pieceIndex(Queen, Black)] | board.pieceBB[pieceIndex(Queen, White)];
  const Bitboard rooksQueens = board.pieceBB[pieceIndex(Rook, Black)] | board.pieceBB[pieceIndex(Rook, White)] |
                               board.pieceBB[pieceIndex(Queen, Black)] | board.pieceBB[pieceIndex(Queen, White)];
  return (board.pieces(Pawn, White) & pawnAttacks[Black][sq]) | (board.pieces(Pawn, Black) & pawnAttacks[White][sq]) |
         ((board.pieces(Knight, White) | board.pieces(Knight, Black)) & knightAttacks[sq]) |
         ((board.pieces(King, White) | board.pieces(King, Black)) & kingAttacks[sq]) |
         (bishopsQueens & bishopAttacks(sq, occupancy)) | (rooksQueens & rookAttacks(sq, occupancy));
}

// Pieces of the side to move that alone stand between their own king and an
// enemy slider on that slider's line: the only pieces whose moves can open a
// line to the king.
inline Bitboard pinnedPieces(const Board& board) {
  const int us = static_cast<int>(board.sideToMove), them = us ^ 1;
  const Square king = board.kingSquare[us];
  const Bitboard queens = board.pieces(Queen, them);
  Bitboard snipers = ((board.pieces(Bishop, them) | queens) & bishopRays[king]) |
                     ((board.pieces(Rook, them) | queens) & rookRays[king]);
  Bitboard pinned = 0;
  while (snipers) {
    const Bitboard blockers = betweenMask[king][popLowest(snipers)] & board.occupied;
    if (!moreThanOne(blockers)) pinned |= blockers & board.colourBB[us];
  }
  return pinned;
}

// The side to move's king is attacked.
inline bool sideToMoveInCheck(const Board& board) {
  const int us = static_cast<int>(board.sideToMove);
  return isSquareAttacked(board, board.kingSquare[us], us ^ 1);
}

// After a move: whether the side that just moved left its own king attacked
// (the move was not legal).
inline bool moverLeftKingAttacked(const Board& board) {
  const int mover = static_cast<int>(board.sideToMove) ^ 1;
  return isSquareAttacked(board, board.kingSquare[mover], mover ^ 1);
}

// Recomputes the hash keys from scratch (the incremental keys must equal these).
std::uint64_t computeHashKey(const Board& board);
std::uint64_t computePawnKey(const Board& board);

}  // namespace talvik
