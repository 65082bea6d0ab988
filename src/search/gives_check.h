// Whether a move checks the opponent's king, decided without making it.
#pragma once

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// For moves without capture or promotion (castling included): a direct check
// by the moved piece or a discovered check by a slider behind its origin.
bool quietMoveGivesCheck(const Board& board, Move move);

}  // namespace talvik
