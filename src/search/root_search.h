// The root of the search: the ordered list of legal root moves, their first
// order, one search of all of them in a window, and the aspiration windows
// that the iterations search in.
#pragma once

#include "board/move.h"
#include "search/search_context.h"

namespace talvik {

class Engine;

struct RootMoves {
  MoveEntry moves[MaxMoves];
  int count = 0;
};

// Fills the list with the legal moves of the context's position.
void generateRootMoves(const SearchContext& ctx, RootMoves& root);
bool containsMove(const RootMoves& root, Move move);
// Moves `move` to the front; the others keep their order.
void moveToFront(RootMoves& root, Move move);

// First order before the iterations: each move scored by a quiescence search
// of the position after it (0 when the search is already told to stop),
// sorted best first, equal scores keeping generation order.
void orderRootMoves(SearchContext& ctx, RootMoves& root);

// Searches the root moves to `iteration` plies in the window (low, high)
// and returns the score (low on a fail low). The best line is left in
// ctx.pvTable[0] (empty when no move raised the score above low). In
// multi-PV mode the engine's excluded moves are skipped. After a stop the
// score is meaningless.
int searchRootMoves(SearchContext& ctx, RootMoves& root, int iteration, int low, int high);

// Whether the multi-PV search has finished a line with this first move in
// the current iteration (such moves are skipped).
bool isExcludedRootMove(const Engine& engine, Move move);

// Searches one root move to `iteration` plies and returns its score: the
// first move in the window (alpha, beta), later ones in a null window and
// again in the full window when they land inside it. The child's line is
// left in ctx.pvTable[1]. `onlyMove`: the move is the only legal one.
int searchRootMove(SearchContext& ctx, Move move, int iteration, bool onlyMove, bool first, int alpha, int beta);

// The window of one root search. Early iterations use the full window; later
// ones start at the previous score ± 30 and widen a failed bound.
inline constexpr int FullWindow = 32001;
struct AspirationWindow {
  int low = -FullWindow;
  int high = FullWindow;
  int halfWidth = 30;
};
AspirationWindow initialWindow(int iteration, int previousScore);
// Widens the bound that `result` failed on: by the current half-width, which
// then doubles (30, 60, 120, 240), and to the full window once the doubled
// half-width would reach 641. A mate score opens the whole window.
void widenWindow(AspirationWindow& window, int result);

}  // namespace talvik
