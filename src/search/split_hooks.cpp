#include "search/split_hooks.h"

#include "search/search_context.h"
#include "search/split_point.h"
#include "search/thread_pool.h"

namespace talvik {

bool splitChainCutOff(const SearchThread& thread) {
  for (const SplitPoint* sp = thread.activeSplit; sp != nullptr; sp = sp->parent)
    if (sp->cutoff) return true;
  return false;
}

bool offerSplit(SearchContext& ctx, const SplitOffer& offer, int& bestScore, Move& bestMove) {
  const SearchThread& thread = *ctx.thread;
  if (thread.splitCount >= MaxSplitsPerThread || !thread.pool->idleThreadAvailable(thread)) return false;
  return split(ctx, offer, bestScore, bestMove);
}

}  // namespace talvik
