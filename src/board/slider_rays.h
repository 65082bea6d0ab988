// Ray walks for bishops and rooks: the slow, obviously correct reference that
// builds the magic attack storage, checks it in tests and drives the offline
// magic generator.
#pragma once

#include "board/types.h"

namespace talvik {

struct RayStep {
  int fileStep;
  int rankStep;
};

inline constexpr RayStep BishopRays[4] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};  // +9, +7, -7, -9
inline constexpr RayStep RookRays[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};        // +1, -1, +8, -8

// Attack set of a slider on `sq`: walk each ray to the board edge, stopping
// after the first square that is occupied.
constexpr Bitboard slidingAttacks(Square sq, Bitboard occupancy, const RayStep (&rays)[4]) {
  Bitboard attacks = 0;
  for (const RayStep& ray : rays) {
    int file = fileOf(sq) + ray.fileStep;
    int rank = rankOf(sq) + ray.rankStep;
    while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
      Bitboard bit = Bitboard{1} << makeSquare(file, rank);
      attacks |= bit;
      if (occupancy & bit) break;
      file += ray.fileStep;
      rank += ray.rankStep;
    }
  }
  return attacks;
}

// Relevant-occupancy mask: the rays without the square itself and without the
// last square of each ray (a piece on the edge square never blocks anything).
constexpr Bitboard relevantMask(Square sq, const RayStep (&rays)[4]) {
  Bitboard mask = 0;
  for (const RayStep& ray : rays) {
    int file = fileOf(sq) + ray.fileStep;
    int rank = rankOf(sq) + ray.rankStep;
    while (file + ray.fileStep >= 0 && file + ray.fileStep < 8 && rank + ray.rankStep >= 0 &&
           rank + ray.rankStep < 8) {
      mask |= Bitboard{1} << makeSquare(file, rank);
      file += ray.fileStep;
      rank += ray.rankStep;
    }
  }
  return mask;
}

constexpr Bitboard slowBishopAttacks(Square sq, Bitboard occupancy) {
  return slidingAttacks(sq, occupancy, BishopRays);
}
constexpr Bitboard slowRookAttacks(Square sq, Bitboard occupancy) {
  return slidingAttacks(sq, occupancy, RookRays);
}

// The 32-bit magic index: the masked occupancy is split into halves, each
// multiplied by its own 32-bit factor; this keeps the lookup cheap on 32-bit
// processors, which have no fast 64-bit multiply.
constexpr std::uint32_t magicIndex(Bitboard masked, std::uint32_t magicLo, std::uint32_t magicHi,
                                   std::uint32_t shift) {
  const auto lo = static_cast<std::uint32_t>(masked);
  const auto hi = static_cast<std::uint32_t>(masked >> 32);
  return static_cast<std::uint32_t>(lo * magicLo ^ hi * magicHi) >> shift;
}

}  // namespace talvik
