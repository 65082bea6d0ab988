#include "search/transposition_table.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "base/logger.h"

namespace talvik {

namespace {

constexpr std::uint32_t dataBound(std::uint32_t data) { return data & 3; }
constexpr int dataDepth(std::uint32_t data) { return static_cast<int>((data >> 2) & 255); }
constexpr std::uint32_t dataGeneration(std::uint32_t data) { return (data >> 10) & 63; }
constexpr int dataScore(std::uint32_t data) { return static_cast<std::int16_t>(data >> 16); }

struct EntryView {
  std::uint32_t check0, check1, data, move;
};

inline EntryView read(const TTEntry& e) {
  return {e.words[0].load(std::memory_order_relaxed), e.words[1].load(std::memory_order_relaxed),
          e.words[2].load(std::memory_order_relaxed), e.words[3].load(std::memory_order_relaxed)};
}

inline bool matches(const EntryView& v, std::uint32_t keyLo, std::uint32_t keyHi) {
  return (v.check0 ^ v.data) == keyLo && (v.check1 ^ v.move) == keyHi;
}

inline void write(TTEntry& e, std::uint32_t data, std::uint32_t move, std::uint32_t keyLo, std::uint32_t keyHi) {
  e.words[2].store(data, std::memory_order_relaxed);
  e.words[3].store(move, std::memory_order_relaxed);
  e.words[0].store(data ^ keyLo, std::memory_order_relaxed);
  e.words[1].store(move ^ keyHi, std::memory_order_relaxed);
}

}  // namespace

void TransTable::release() {
  block.reset();
  entries = nullptr;
  entryCount = indexMask = generation = 0;
}

bool TransTable::allocate(int megabytes) {
  release();
  std::uint32_t size = 1;
  while (static_cast<int>(size) < megabytes && size <= 16384) size *= 2;
  logInfo("Init main hash table : %d Mb", megabytes);
  const std::uint64_t count = std::uint64_t{size} * 65536;
  const std::uint64_t bytes = count * sizeof(TTEntry) + 63;
  if (bytes > SIZE_MAX) {
    logError("Hash table : out of memory");
    std::fputs("Hash table : out of memory\n", stderr);
    return false;
  }
  block.reset(new (std::nothrow) char[static_cast<std::size_t>(bytes)]);
  if (!block) {
    logError("Hash table : out of memory");
    std::fputs("Hash table : out of memory\n", stderr);
    return false;
  }
  const auto address = reinterpret_cast<std::uintptr_t>(block.get());
  entries = reinterpret_cast<TTEntry*>((address + 63) & ~std::uintptr_t{63});
  entryCount = static_cast<std::uint32_t>(count);
  indexMask = entryCount - 4;
  clear();
  return true;
}

void TransTable::clear() {
  generation = 0;
  // The atomics are lock-free 32-bit words, so zeroing the bytes is zeroing them.
  if (block) std::memset(block.get(), 0, std::size_t{entryCount} * sizeof(TTEntry) + 63);
}

int TransTable::probe(std::uint64_t key, int depth, int ply, int alpha, int beta, Move& move, int& score) {
  if (!entries) return ProbeNone;
  const auto keyLo = static_cast<std::uint32_t>(key), keyHi = static_cast<std::uint32_t>(key >> 32);
  TTEntry* bucket = entries + (keyLo & indexMask);
  for (int slot = 0; slot < 4; ++slot) {
    const EntryView v = read(bucket[slot]);
    if (!matches(v, keyLo, keyHi)) continue;
    move = v.move;
    if (dataDepth(v.data) < depth) return ProbeNone;
    score = scoreFromTable(dataScore(v.data), ply);
    int result = ProbeNone;
    switch (dataBound(v.data)) {
      case BoundExact: result = ProbeExact; break;
      case BoundUpper: result = score <= alpha ? ProbeUpper : ProbeNone; break;
      case BoundLower: result = score >= beta ? ProbeLower : ProbeNone; break;
      default: break;
    }
    // A used entry joins the current search, which protects it from replacement.
    if (result != ProbeNone && dataGeneration(v.data) != generation) {
      const std::uint32_t data = (v.data & ~(63u << 10)) | generation << 10;
      write(bucket[slot], data, v.move, keyLo, keyHi);
    }
    return result;
  }
  return ProbeNone;
}

bool TransTable::peek(std::uint64_t key, Move& move, int& depth) const {
  if (!entries) return false;
  const auto keyLo = static_cast<std::uint32_t>(key), keyHi = static_cast<std::uint32_t>(key >> 32);
  const TTEntry* bucket = entries + (keyLo & indexMask);
  for (int slot = 0; slot < 4; ++slot) {
    const EntryView v = read(bucket[slot]);
    if (!matches(v, keyLo, keyHi)) continue;
    move = v.move;
    depth = dataDepth(v.data);
    return true;
  }
  return false;
}

int TransTable::hashFull() const {
  if (!entries) return 0;
  constexpr std::uint32_t Sample = 1000;  // the table has at least 65536 entries
  int written = 0;
  for (std::uint32_t i = 0; i < Sample; ++i) {
    const EntryView v = read(entries[i]);
    const bool empty = (v.check0 | v.check1 | v.data | v.move) == 0;
    if (!empty && dataGeneration(v.data) == generation) ++written;
  }
  return written;
}

void TransTable::store(std::uint64_t key, Move move, int score, int depth, int ply, int bound) {
  if (!entries) return;
  const auto keyLo = static_cast<std::uint32_t>(key), keyHi = static_cast<std::uint32_t>(key >> 32);
  const int stored = scoreToTable(score, ply);
  const std::uint32_t data = static_cast<std::uint32_t>(bound & 3) | static_cast<std::uint32_t>(depth & 255) << 2 |
                             generation << 10 | static_cast<std::uint32_t>(static_cast<std::uint16_t>(stored)) << 16;
  TTEntry* bucket = entries + (keyLo & indexMask);
  int chosen = -1;
  for (int slot = 0; slot < 4 && chosen < 0; ++slot) {
    const EntryView v = read(bucket[slot]);
    const bool empty = (v.check0 | v.check1 | v.data | v.move) == 0;
    if (empty || matches(v, keyLo, keyHi)) chosen = slot;
  }
  if (chosen < 0) {
    // Entries of earlier searches go first, shallowest first.
    int lowest = 1 << 30;
    for (int slot = 0; slot < 4; ++slot) {
      const std::uint32_t d = bucket[slot].words[2].load(std::memory_order_relaxed);
      const int value = dataDepth(d) + (dataGeneration(d) == generation ? 2048 : 0);
      if (value < lowest) {
        lowest = value;
        chosen = slot;
      }
    }
  }
  write(bucket[chosen], data, move, keyLo, keyHi);
}

}  // namespace talvik
