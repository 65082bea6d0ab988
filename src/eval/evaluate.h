// Static evaluation in centipawns from the side to move's point of view.
#pragma once

#include "board/board.h"
#include "eval/pawn_hash.h"
#include "eval/personality.h"

namespace talvik {

// Full tapered evaluation. `pawnHash` is the calling thread's own table.
int evaluate(const Personality& personality, const Board& board, PawnHashTable& pawnHash);
// The material balance (side to move's view) when it lies more than 325
// outside [alpha, beta], else the full evaluation.
int evaluateLazy(const Personality& personality, const Board& board, PawnHashTable& pawnHash, int alpha, int beta);

}  // namespace talvik
