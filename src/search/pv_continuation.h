// Full lines for the reports: a principal variation that stops short (cut by
// a table hit, as when a position is searched again) is continued with the
// moves the transposition table holds for the positions along it.
#pragma once

#include "board/board.h"
#include "board/move.h"

namespace talvik {

class TransTable;

// Continues `moves` (the search's own line from `root`, `length` moves, room
// for MaxPly) until it has `plies` moves: each table move must be legal in
// the position reached, must not lead to a position the line has already
// passed, and its entry must come from a search of at least one ply (the
// entries of earlier iterations and searches count: a line cut by a table
// hit stopped where such an entry answered). Only reads the table. The
// search's own moves are kept as far as they are legal. Returns the new
// length.
int continueLine(const TransTable& table, const Board& root, Move* moves, int length, int plies);

}  // namespace talvik
