// Standard Algebraic Notation for test data (PGN files written by tests):
// disambiguation by the other legal moves, no check signs.
#pragma once

#include <string>

#include "board/board.h"
#include "board/move.h"

namespace talvik::test {

std::string toSan(const Board& board, Move move);

}  // namespace talvik::test
