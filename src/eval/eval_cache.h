// Per-thread cache of full evaluations, keyed by Board::hashKey. The search
// meets many positions again (transpositions, re-searches, the quiescence
// search revisiting a node's children); a hit saves the whole evaluation.
//
// The evaluation depends on the parameter set and the personality as well as
// on the position, and both may change between searches, so the cache is
// emptied at every search start.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace talvik {

struct EvalCacheEntry {
  std::uint64_t key;  // hashKey of the evaluated position; 0 = empty
  std::int32_t score;
  std::int32_t unused;
};
static_assert(sizeof(EvalCacheEntry) == 16);

struct EvalCache {
  static constexpr std::size_t EntryCount = 32768;  // 512 KB, indexed by the low bits of hashKey
  std::vector<EvalCacheEntry> entries = std::vector<EvalCacheEntry>(EntryCount);

  EvalCacheEntry& slot(std::uint64_t key) { return entries[key & (EntryCount - 1)]; }
  void clear() { std::memset(entries.data(), 0, entries.size() * sizeof(EvalCacheEntry)); }
};

}  // namespace talvik
