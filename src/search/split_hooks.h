// The two places where the parallel search joins the move loops of the root
// and of every interior node. With one search thread neither ever acts: no
// split point is made, so no chain of split points can be cut off.
#pragma once

#include "board/move.h"

namespace talvik {

struct MovePicker;
struct SearchContext;
class SearchThread;

// What a node's moves are searched with: the same for the node's own move
// loop and for the threads that share the node at a split point.
struct NodeMoves {
  int beta = 0;
  int depth = 0;  // half-plies left at the node
  int ply = 0;
  bool isPV = false;
  bool inCheck = false;
  bool futile = false;             // quiet moves after the first are not worth searching
  bool reductionsAllowed = false;  // late quiet moves may be reduced
};

// What a node hands to idle threads: the rest of its moves and its state.
struct SplitOffer {
  MovePicker* picker = nullptr;          // an interior node's picker
  const MoveEntry* rootMoves = nullptr;  // or, at the root, the ordered root moves
  int rootMoveCount = 0;
  NodeMoves node;
  int moveCount = 0;  // moves taken so far, pruned ones included
};

// True when a split point in the thread's chain of active split points (its
// own and their parents) has been cut off by a worker's refutation; the
// thread's current work below it is then moot and is abandoned.
bool splitChainCutOff(const SearchThread& thread);

// Offers the remaining moves of a node to idle threads; `bestScore` and
// `bestMove` are the node's best so far. True when a split point searched
// them: `bestScore` and `bestMove` then hold the merged result
// and the node ends. False when no split was made (the thread masters too
// many split points, nobody is idle). The caller has checked that the pool
// has helpers and that enough depth is left.
bool offerSplit(SearchContext& ctx, const SplitOffer& offer, int& bestScore, Move& bestMove);

}  // namespace talvik
