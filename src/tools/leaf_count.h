// The counting recursion behind every perft tool: evasions when in check,
// else captures then quiet moves; every move is made, its legality tested and
// unmade, also at the last ply (no bulk counting).
#pragma once

#include <cstdint>

#include "board/board.h"

namespace talvik {

// Leaves of the legal move tree below `board` at `depth` (>= 1). The board is
// changed only by make/unmake and is the same afterwards.
std::uint64_t countLeaves(Board& board, int depth);

}  // namespace talvik
