// Static exchange evaluation: the material outcome of a move on its target
// square when both sides keep recapturing there with their least valuable
// piece, each free to stop when going on would lose.
#pragma once

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// Exchange values by piece type. They are fixed and independent of the
// evaluation's (tunable) material values; the king's is large so that a king
// recapturing onto a defended square always comes out as a heavy loss.
inline constexpr int ExchangeValue[8] = {0, 100, 325, 325, 500, 975, 5000, 0};

// Expected gain, in exchange values, for the side to move making `move`.
// The move is not tested for legality and the board is not changed.
// X-ray attackers behind pieces that take part are counted. A promoting pawn
// counts as a pawn; castling is never an exchange and scores 0.
int staticExchange(const Board& board, Move move);

}  // namespace talvik
