// Reading moves in Standard Algebraic Notation (Nf3, exd5, e8=Q+, O-O-O, Rxe1+!?).
#pragma once

#include <string_view>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// The move that `san` names in `board`, or NoMove when the text cannot be read
// or names no piece that can make it. The move is pseudo-legal; whether it
// leaves the mover's king attacked is for the caller to test. When several
// pieces of the named kind could move, the first one (lowest square) whose
// move does not expose its own king is taken, so a pinned piece never
// needs a disambiguation letter.
Move parseSan(const Board& board, std::string_view san);

}  // namespace talvik
