// The principal-variation search below the root.
#pragma once

#include "board/makemove.h"
#include "search/search_context.h"
#include "search/split_hooks.h"

namespace talvik {

// Searches the position of `ctx.board` at `ply` (1 = a reply to a root move)
// with `depth` half-plies left. Scores are from the side to move's view;
// after a stop, or a cut-off at an enclosing split point, the result is
// meaningless (0) and callers discard it. In PV nodes ctx.pvTable[ply] holds
// the best line found.
int searchNode(SearchContext& ctx, int alpha, int beta, int depth, int ply, bool isPV, bool inCheck);

// Searches one legal move of the node, already made on ctx.board (`undo`
// restores the position), in the window (alpha, node.beta): the move's
// extension, futility and late-move pruning, the reduced, null-window and
// PV searches. `stage` is the picker stage the move came from and
// `moveCount` the number of moves the node took before it (pruned ones
// included). Unmakes the move. False when it was pruned without a search;
// else `value` is its score (meaningless after a stop).
bool searchMadeMove(SearchContext& ctx, const NodeMoves& node, Move move, const UndoRecord& undo, int stage,
                    int moveCount, int alpha, int& value);

// The replies to the root moves (ply 1).
inline int searchPly1(SearchContext& ctx, int alpha, int beta, int depth, bool isPV, bool inCheck) {
  return searchNode(ctx, alpha, beta, depth, 1, isPV, inCheck);
}

// Margins by remaining plies (indexes 1..3 are used): razoring drops into the
// quiescence search when the static value is this far below beta; futility
// assumes a quiet move gains at most this much.
inline constexpr int RazorMargin[8] = {0, 200, 400, 600, 975, 975, 975, 975};
inline constexpr int FutilityMargin[8] = {0, 100, 200, 300, 975, 975, 975, 975};

}  // namespace talvik
