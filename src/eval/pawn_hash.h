// Per-thread cache of the pawn-structure term, keyed by Board::pawnKey.
#pragma once

#include <cstdint>
#include <vector>

namespace talvik {

struct PawnEntry {
  std::uint64_t key;        // full pawnKey of the stored structure
  std::uint64_t passed[2];  // [Black, White] passed pawns
  std::int32_t scoreMid;    // White minus Black, pawn piece-square values included
  std::int32_t scoreEnd;
};
static_assert(sizeof(PawnEntry) == 32);

struct PawnHashTable {
  static constexpr std::size_t EntryCount = 65536;  // 2 MB, indexed by the low 16 bits of pawnKey
  std::vector<PawnEntry> entries = std::vector<PawnEntry>(EntryCount);
  // The parameter generation the entries were computed under.
  std::uint32_t generation = 0;
};

}  // namespace talvik
