#include "board/bitboard.h"

#include <mutex>

namespace talvik {

namespace {

Bitboard bishopStorage[BishopStorageSize];
Bitboard rookStorage[RookStorageSize];

// Fills one slider's storage: every subset of each square's mask (carry-rippler
// enumeration) stores its ray-walk attack set at its magic index.
void fillSlider(Bitboard* storage, const Bitboard** pointers, const std::array<Bitboard, 64>& masks,
                const MagicPair* magics, const std::array<std::uint32_t, 64>& shifts,
                const RayStep (&rays)[4]) {
  std::size_t offset = 0;
  for (Square sq = 0; sq < 64; ++sq) {
    Bitboard* block = storage + offset;
    pointers[sq] = block;
    const Bitboard mask = masks[sq];
    Bitboard subset = 0;
    do {
      block[magicIndex(subset, magics[sq].lo, magics[sq].hi, shifts[sq])] = slidingAttacks(sq, subset, rays);
      subset = (subset - mask) & mask;
    } while (subset != 0);
    offset += std::size_t{1} << (32 - shifts[sq]);
  }
}

}  // namespace

const Bitboard* bishopAttackPtr[64];
const Bitboard* rookAttackPtr[64];

void initBitboardTables() {
  static std::once_flag once;
  std::call_once(once, [] {
    fillSlider(bishopStorage, bishopAttackPtr, bishopMask, BishopMagics, bishopShift, BishopRays);
    fillSlider(rookStorage, rookAttackPtr, rookMask, RookMagics, rookShift, RookRays);
  });
}

}  // namespace talvik

namespace talvik {
namespace {
constexpr std::size_t storageNeeded(const std::array<std::uint32_t, 64>& shifts) {
  std::size_t total = 0;
  for (std::uint32_t shift : shifts) total += std::size_t{1} << (32 - shift);
  return total;
}
static_assert(storageNeeded(bishopShift) == BishopStorageSize);
static_assert(storageNeeded(rookShift) == RookStorageSize);
}  // namespace
}  // namespace talvik
