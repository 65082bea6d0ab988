#include "search/split_hooks.h"

#include "search/search_context.h"
#include "search/thread_pool.h"

namespace talvik {

// Single-threaded search: no split point is ever made, so a thread has no
// chain that could be cut off and no offer is taken up.
bool splitChainCutOff(const SearchThread& thread) {
  (void)thread;
  return false;
}

bool offerSplit(SearchContext& ctx, const SplitOffer& offer, int& bestScore, Move& bestMove) {
  (void)ctx, (void)offer, (void)bestScore, (void)bestMove;
  return false;
}

}  // namespace talvik
