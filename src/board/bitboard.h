// Bitboard helpers and the constant attack tables.
//
// Every table except the slider attack storage is computed at compile time;
// the slider storage (about 840 KB) is filled once by initBitboardTables().
#pragma once

#include <array>
#include <bit>

#include "board/magic_constants.h"
#include "board/slider_rays.h"
#include "board/types.h"

namespace talvik {

// A 32-bit processor (ARMv6) has no 64-bit bit count or scan: the compiler
// calls a library routine. There both work on the two 32-bit halves inline.
inline constexpr bool WordIs32Bits = sizeof(void*) < 8;

constexpr int popCount(Bitboard b) {
  if constexpr (WordIs32Bits) {
    // Bits per byte in each half, summed, then the four bytes added up.
    auto byteCounts = [](std::uint32_t x) {
      x -= (x >> 1) & 0x55555555u;
      x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
      return (x + (x >> 4)) & 0x0F0F0F0Fu;
    };
    const std::uint32_t bytes =
        byteCounts(static_cast<std::uint32_t>(b)) + byteCounts(static_cast<std::uint32_t>(b >> 32));
    return static_cast<int>((bytes * 0x01010101u) >> 24);
  } else {
    return std::popcount(b);
  }
}
constexpr Square lowestSquare(Bitboard b) {
  if constexpr (WordIs32Bits) {
    const auto low = static_cast<std::uint32_t>(b);
    return low ? std::countr_zero(low) : 32 + std::countr_zero(static_cast<std::uint32_t>(b >> 32));
  } else {
    return std::countr_zero(b);
  }
}
// Returns the lowest set square and clears it.
inline Square popLowest(Bitboard& b) {
  const Square sq = lowestSquare(b);
  b &= b - 1;
  return sq;
}
constexpr bool moreThanOne(Bitboard b) { return (b & (b - 1)) != 0; }

inline constexpr Bitboard FileABB = 0x0101010101010101ull;
inline constexpr Bitboard Rank1BB = 0xFFull;
constexpr Bitboard fileBB(int file) { return FileABB << file; }
constexpr Bitboard rankBB(int rank) { return Rank1BB << (8 * rank); }

namespace detail {

constexpr Bitboard stepTargets(Square sq, const int (&steps)[8][2], int count) {
  Bitboard targets = 0;
  for (int i = 0; i < count; ++i) {
    const int file = fileOf(sq) + steps[i][0];
    const int rank = rankOf(sq) + steps[i][1];
    if (file >= 0 && file < 8 && rank >= 0 && rank < 8) targets |= Bitboard{1} << makeSquare(file, rank);
  }
  return targets;
}

inline constexpr int KnightSteps[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
inline constexpr int KingSteps[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
inline constexpr int WhitePawnSteps[8][2] = {{-1, 1}, {1, 1}};
inline constexpr int BlackPawnSteps[8][2] = {{-1, -1}, {1, -1}};

template <typename F>
constexpr std::array<Bitboard, 64> perSquare(F f) {
  std::array<Bitboard, 64> table{};
  for (Square sq = 0; sq < 64; ++sq) table[sq] = f(sq);
  return table;
}

constexpr std::array<std::array<Bitboard, 64>, 64> buildBetween() {
  std::array<std::array<Bitboard, 64>, 64> between{};
  for (Square a = 0; a < 64; ++a) {
    for (const auto* rays : {&BishopRays, &RookRays}) {
      for (const RayStep& ray : *rays) {
        Bitboard passed = 0;
        int file = fileOf(a) + ray.fileStep, rank = rankOf(a) + ray.rankStep;
        while (file >= 0 && file < 8 && rank >= 0 && rank < 8) {
          const Square b = makeSquare(file, rank);
          between[a][b] = passed;
          passed |= Bitboard{1} << b;
          file += ray.fileStep;
          rank += ray.rankStep;
        }
      }
    }
  }
  return between;
}

}  // namespace detail

inline constexpr auto squareMask = detail::perSquare([](Square sq) { return Bitboard{1} << sq; });
inline constexpr auto knightAttacks =
    detail::perSquare([](Square sq) { return detail::stepTargets(sq, detail::KnightSteps, 8); });
inline constexpr auto kingAttacks =
    detail::perSquare([](Square sq) { return detail::stepTargets(sq, detail::KingSteps, 8); });
// [colour][square]: the squares a pawn of that colour on that square attacks.
inline constexpr std::array<std::array<Bitboard, 64>, 2> pawnAttacks = {
    detail::perSquare([](Square sq) { return detail::stepTargets(sq, detail::BlackPawnSteps, 2); }),
    detail::perSquare([](Square sq) { return detail::stepTargets(sq, detail::WhitePawnSteps, 2); })};
// [a][b]: the squares strictly between a and b on a shared line, else 0.
inline constexpr auto betweenMask = detail::buildBetween();

// Slider rays on an empty board: a cheap test of whether a slider can attack a
// square at all before the magic lookup is paid for.
inline constexpr auto bishopRays = detail::perSquare([](Square sq) { return slowBishopAttacks(sq, 0); });
inline constexpr auto rookRays = detail::perSquare([](Square sq) { return slowRookAttacks(sq, 0); });

inline constexpr auto bishopMask = detail::perSquare([](Square sq) { return relevantMask(sq, BishopRays); });
inline constexpr auto rookMask = detail::perSquare([](Square sq) { return relevantMask(sq, RookRays); });

constexpr std::array<std::uint32_t, 64> shiftsFor(const std::array<Bitboard, 64>& masks) {
  std::array<std::uint32_t, 64> shifts{};
  for (Square sq = 0; sq < 64; ++sq) shifts[sq] = 32 - std::popcount(masks[sq]);
  return shifts;
}
inline constexpr auto bishopShift = shiftsFor(bishopMask);
inline constexpr auto rookShift = shiftsFor(rookMask);

inline constexpr std::size_t BishopStorageSize = 5248;
inline constexpr std::size_t RookStorageSize = 102400;

// Start of each square's block in the shared slider storage.
extern const Bitboard* bishopAttackPtr[64];
extern const Bitboard* rookAttackPtr[64];

// Fills the slider storage. Safe to call more than once; later calls do nothing.
void initBitboardTables();

inline Bitboard bishopAttacks(Square sq, Bitboard occupancy) {
  return bishopAttackPtr[sq][magicIndex(occupancy & bishopMask[sq], BishopMagics[sq].lo, BishopMagics[sq].hi,
                                        bishopShift[sq])];
}
inline Bitboard rookAttacks(Square sq, Bitboard occupancy) {
  return rookAttackPtr[sq][magicIndex(occupancy & rookMask[sq], RookMagics[sq].lo, RookMagics[sq].hi,
                                      rookShift[sq])];
}
inline Bitboard queenAttacks(Square sq, Bitboard occupancy) {
  return bishopAttacks(sq, occupancy) | rookAttacks(sq, occupancy);
}

}  // namespace talvik
