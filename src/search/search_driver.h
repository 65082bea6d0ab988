// The search driver: one "go" into one best move.
#pragma once

#include "board/move.h"

namespace talvik {

class Engine;

// Runs a whole search on the engine's game position and reports through the
// engine's report sink (reportBestMove last). `ponder` is the protocol's
// request to ponder. Runs on the calling thread until the search ends: it
// consults the book, sets the limits, orders the root moves, deepens
// iteratively in aspiration windows over one or more principal variations,
// and (unless pondering or analysing) plays the best move on the game.
void searchRoot(Engine& engine, bool ponder);

struct SearchContext;
// Fills the main thread's working record for a search of the engine's game
// position: board copy, the recent repetition keys, empty lines.
void prepareSearchContext(SearchContext& ctx, Engine& engine);

// The reply expected after `best` in the engine's position: the table's move
// for the position after it when that is legal, else the first legal reply in
// generation order; NoMove when there is no legal reply.
Move choosePonderMove(Engine& engine, Move best);

}  // namespace talvik
