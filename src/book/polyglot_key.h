// Position keys of the Polyglot opening-book format, the one most chess
// programs share. They are made from that format's published numbers, not
// from Talvik's own Zobrist keys, so they are computed from scratch.
#pragma once

#include <cstdint>

#include "board/board.h"

namespace talvik {

// The key of a standard-chess position: pieces, castling rights, the
// en-passant file when a pawn of the side to move stands ready to capture
// there (whether the capture is legal does not matter), and the side to move.
std::uint64_t polyglotKey(const Board& board);

// Whether every castling right of the position has the king and rook on
// their standard squares; a key cannot tell other castling geometries apart.
bool hasStandardCastling(const Board& board);

}  // namespace talvik
