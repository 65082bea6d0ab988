// Constant square sets of the evaluation: files and the pawn spans that the
// pawn-structure term tests.
#pragma once

#include <array>

#include "board/bitboard.h"

namespace talvik {

namespace detail {

constexpr Bitboard neighbourFiles(int file) {
  return (file > 0 ? fileBB(file - 1) : 0) | (file < 7 ? fileBB(file + 1) : 0);
}
// Ranks strictly ahead of `rank` as seen by `colour`.
constexpr Bitboard ranksAhead(int colour, int rank) {
  Bitboard ranks = 0;
  for (int r = 0; r < 8; ++r)
    if (colour == White ? r > rank : r < rank) ranks |= rankBB(r);
  return ranks;
}

template <typename F>
constexpr std::array<std::array<Bitboard, 64>, 2> perColourSquare(F f) {
  std::array<std::array<Bitboard, 64>, 2> table{};
  for (int colour = 0; colour < 2; ++colour)
    for (Square sq = 0; sq < 64; ++sq) table[colour][sq] = f(colour, sq);
  return table;
}

}  // namespace detail

inline constexpr std::array<Bitboard, 8> fileMask = {fileBB(0), fileBB(1), fileBB(2), fileBB(3),
                                                     fileBB(4), fileBB(5), fileBB(6), fileBB(7)};
// The neighbouring file or files (file a has only b, file h only g).
inline constexpr std::array<Bitboard, 8> adjacentFilesMask = {
    detail::neighbourFiles(0), detail::neighbourFiles(1), detail::neighbourFiles(2), detail::neighbourFiles(3),
    detail::neighbourFiles(4), detail::neighbourFiles(5), detail::neighbourFiles(6), detail::neighbourFiles(7)};

// [colour][square]: the squares ahead of the square on its own file.
inline constexpr auto frontSpan = detail::perColourSquare(
    [](int colour, Square sq) { return fileBB(fileOf(sq)) & detail::ranksAhead(colour, rankOf(sq)); });
// [colour][square]: the squares ahead on the square's file and both
// neighbouring files; a pawn with no enemy pawn there is passed.
inline constexpr auto passedSpan = detail::perColourSquare([](int colour, Square sq) {
  return (fileBB(fileOf(sq)) | detail::neighbourFiles(fileOf(sq))) & detail::ranksAhead(colour, rankOf(sq));
});
// [colour][square]: the squares beside and behind the square on the
// neighbouring files, where a pawn could still come to its support.
inline constexpr auto supportSpan = detail::perColourSquare(
    [](int colour, Square sq) { return detail::neighbourFiles(fileOf(sq)) & ~detail::ranksAhead(colour, rankOf(sq)); });

// The square a pawn of `colour` on `sq` would advance to (empty set past the last rank).
constexpr Bitboard squareAhead(int colour, Square sq) {
  return colour == White ? squareMask[sq] << 8 : squareMask[sq] >> 8;
}
// All squares attacked by the pawns in `pawns` of `colour`.
constexpr Bitboard pawnAttackSet(int colour, Bitboard pawns) {
  const Bitboard notFileA = ~fileBB(0), notFileH = ~fileBB(7);
  return colour == White ? ((pawns & notFileA) << 7) | ((pawns & notFileH) << 9)
                         : ((pawns & notFileA) >> 9) | ((pawns & notFileH) >> 7);
}
// Larger of the file and rank distances.
constexpr int kingDistance(Square a, Square b) {
  const int files = fileOf(a) > fileOf(b) ? fileOf(a) - fileOf(b) : fileOf(b) - fileOf(a);
  const int ranks = rankOf(a) > rankOf(b) ? rankOf(a) - rankOf(b) : rankOf(b) - rankOf(a);
  return files > ranks ? files : ranks;
}
constexpr Square highestSquare(Bitboard b) { return 63 - std::countl_zero(b); }

}  // namespace talvik
