// Short algebraic text of a move for the EPD test suite: piece letter,
// disambiguation among the position's generated moves, 'x', destination,
// promotion; no check or mate sign.
#pragma once

#include <string>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// `generated`/`count` are the position's generated (pseudo-legal) moves.
std::string suiteSanText(Move move, const MoveEntry* generated, int count);

}  // namespace talvik
