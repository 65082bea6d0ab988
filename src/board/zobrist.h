// Zobrist keys. They are compile-time constants drawn from a fixed generator
// and seed: opening books store position keys, so these values must stay the
// same forever. A unit test pins several of them.
#pragma once

#include <array>

#include "board/types.h"

namespace talvik {

namespace detail {

struct ZobristTables {
  std::uint64_t piece[2][8][64]{};  // [colour][type][square]; types 0 and 7 stay 0
  std::uint64_t castle[16]{};       // per castling-rights value; entry 0 is 0
  std::uint64_t enPassant[9]{};     // per en-passant file value; entry 0 is 0
};

constexpr std::uint64_t splitMix64(std::uint64_t& state) {
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

constexpr ZobristTables buildZobrist() {
  ZobristTables t;
  std::uint64_t state = 0x54616C76696B2032ull;  // fixed seed, never change it
  for (int colour = 0; colour < 2; ++colour)
    for (int type = Pawn; type <= King; ++type)
      for (int sq = 0; sq < 64; ++sq) t.piece[colour][type][sq] = splitMix64(state);
  for (int i = 1; i < 16; ++i) t.castle[i] = splitMix64(state);
  for (int i = 1; i < 9; ++i) t.enPassant[i] = splitMix64(state);
  return t;
}

inline constexpr ZobristTables zobrist = buildZobrist();

}  // namespace detail

inline constexpr const auto& pieceKey = detail::zobrist.piece;
inline constexpr const auto& castleKey = detail::zobrist.castle;
inline constexpr const auto& epKey = detail::zobrist.enPassant;
inline constexpr std::uint64_t sideKey = 0xf039404e0dd3333full;  // XORed in when Black is to move

}  // namespace talvik
