// The two places where the parallel search joins the move loops of the root
// and of every interior node. With one search thread neither ever acts: no
// split point is made, so no chain of split points can be cut off.
#pragma once

#include "board/move.h"

namespace talvik {

struct MovePicker;
struct SearchContext;
class SearchThread;

// What a node hands to idle threads: the rest of its moves and its state.
struct SplitOffer {
  MovePicker* picker = nullptr;       // an interior node's picker
  const MoveEntry* rootMoves = nullptr;  // or, at the root, the ordered root moves
  int rootMoveCount = 0;
  int alpha = 0;
  int beta = 0;
  int depth = 0;  // half-plies
  int ply = 0;
  int moveCount = 0;  // moves taken so far, pruned ones included
  bool inCheck = false;
  bool futile = false;
  int futilityValue = 0;
};

// True when a split point in the thread's chain of active split points (its
// own and their parents) has been cut off by a worker's refutation; the
// thread's current work below it is then moot and is abandoned.
bool splitChainCutOff(const SearchThread& thread);

// Offers the remaining moves of a node to idle threads. True when a split
// point searched them: `bestScore` and `bestMove` then hold the merged result
// and the node ends. False when no split was made (one thread, too little
// depth left, the thread masters too many split points, nobody idle).
bool offerSplit(SearchContext& ctx, const SplitOffer& offer, int& bestScore, Move& bestMove);

}  // namespace talvik
