// The 32-bit move word and move lists.
//
// Layout, from the least significant bit:
//   0-5  from square        6-11 to square (castling: the castling rook's square)
//   12-14 moving piece type 15-17 captured type (pawn for en passant)
//   18-20 promotion type    21 castling flag      22 en-passant flag
// Castling is encoded as the king taking its own rook, which covers Chess960.
// The word carries everything unmakeMove needs, so undo never reads the board.
#pragma once

#include "board/types.h"

namespace talvik {

using Move = std::uint32_t;
inline constexpr Move NoMove = 0;
inline constexpr Move CastleFlag = 0x200000;
inline constexpr Move EnPassantFlag = 0x400000;
inline constexpr Move CaptureMask = 0x38000;
inline constexpr Move PromotionMask = 0x1C0000;

constexpr Move encodeMove(Square from, Square to, int piece, int captured = NoPiece, int promotion = NoPiece,
                          Move flags = 0) {
  return static_cast<Move>(from) | static_cast<Move>(to) << 6 | static_cast<Move>(piece) << 12 |
         static_cast<Move>(captured) << 15 | static_cast<Move>(promotion) << 18 | flags;
}
constexpr Square moveFrom(Move m) { return static_cast<Square>(m & 63); }
constexpr Square moveTo(Move m) { return static_cast<Square>((m >> 6) & 63); }
constexpr int movePiece(Move m) { return static_cast<int>((m >> 12) & 7); }
constexpr int moveCaptured(Move m) { return static_cast<int>((m >> 15) & 7); }
constexpr int movePromotion(Move m) { return static_cast<int>((m >> 18) & 7); }
constexpr bool isCastle(Move m) { return (m & CastleFlag) != 0; }
constexpr bool isEnPassant(Move m) { return (m & EnPassantFlag) != 0; }
constexpr bool isCapture(Move m) { return (m & CaptureMask) != 0; }
constexpr bool isPromotion(Move m) { return (m & PromotionMask) != 0; }
// Pawn moves, captures and castling cannot be undone by later moves, so the
// positions before them can never repeat.
constexpr bool isIrreversible(Move m) { return movePiece(m) == Pawn || isCapture(m) || isCastle(m); }

// One entry of a move list: the move and a score slot for move ordering.
struct MoveEntry {
  Move move;
  std::int32_t score;
};

inline constexpr int MaxMoves = 256;
struct MoveList {
  MoveEntry entries[MaxMoves];
};

}  // namespace talvik
