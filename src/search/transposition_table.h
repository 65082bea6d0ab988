// The shared hash table of search results.
//
// Race policy: threads probe and store without locks. An entry is four 32-bit
// words, each a relaxed atomic; words 0 and 1 hold the data and the move XORed
// with the two halves of the key, words 2 and 3 the data and the move. An
// entry whose words come from two different writes fails the key test and
// reads as absent, so a reader never sees a wrong move or score for a matching
// key (short of a full 64-bit key collision). Callers still check a table move
// for pseudo-legality before using it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "board/move.h"

namespace talvik {

enum Bound : int { BoundExact = 0, BoundUpper = 1, BoundLower = 2 };
enum ProbeResult : int { ProbeExact = 0, ProbeUpper = 1, ProbeLower = 2, ProbeNone = 3 };

struct TTEntry {
  std::atomic<std::uint32_t> words[4];
};
static_assert(sizeof(TTEntry) == 16);

class TransTable {
 public:
  TransTable() = default;
  ~TransTable() { release(); }
  TransTable(const TransTable&) = delete;
  TransTable& operator=(const TransTable&) = delete;

  // Allocates the smallest power of two of megabytes not below the request
  // (1 for requests of 1 or less). Frees the old table first; on failure no
  // table is left and false is returned.
  bool allocate(int megabytes);
  void release();
  void clear();
  // Exact / usable bound / nothing usable. `move` is written whenever the key
  // is found, even when the entry is too shallow or its bound does not apply.
  int probe(std::uint64_t key, int depth, int ply, int alpha, int beta, Move& move, int& score);
  void store(std::uint64_t key, Move move, int score, int depth, int ply, int bound);
  // Reading only, for reports: the move and depth (half-plies) of the entry
  // for `key`, without the generation refresh a usable probe makes; false
  // when the key is absent.
  bool peek(std::uint64_t key, Move& move, int& depth) const;
  // Per mille of a fixed sample of entries (the first thousand) written in
  // the current search.
  int hashFull() const;
  void advanceGeneration() { generation = (generation + 1) & 63; }

  bool allocated() const { return entries != nullptr; }
  int megabytes() const { return static_cast<int>(entryCount / 65536); }

  TTEntry* entries = nullptr;         // 64-byte aligned, inside `block`
  std::unique_ptr<char[]> block;      // the raw allocation
  std::uint32_t entryCount = 0;       // power of two, at least 65536
  std::uint32_t indexMask = 0;        // entryCount - 4: start of a four-entry bucket
  std::uint32_t generation = 0;       // 0..63
};

// Mate scores are stored relative to the node so that they stay right when
// the same position is reached at another ply.
constexpr int scoreToTable(int score, int ply) {
  return score >= 31745 ? score + ply : score <= -31745 ? score - ply : score;
}
constexpr int scoreFromTable(int score, int ply) {
  return score >= 31745 ? score - ply : score <= -31745 ? score + ply : score;
}

}  // namespace talvik
