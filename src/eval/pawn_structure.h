// The pawn-structure term: doubled, isolated and backward pawns, the pawns'
// piece-square values and the passed-pawn sets, cached per thread.
#pragma once

#include "board/board.h"
#include "eval/pawn_hash.h"

namespace talvik {

// Scores the pawns of `board` from scratch (White minus Black).
PawnEntry computePawnEntry(const Board& board);

// The entry for the board's pawns: the cached one when its full key matches,
// else a fresh computation that overwrites the slot. Only for a non-zero
// pawnKey (a zero-filled slot would otherwise match a board without pawns).
const PawnEntry& probePawns(PawnHashTable& table, const Board& board);

}  // namespace talvik
