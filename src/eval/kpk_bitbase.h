// King and pawn against king: which positions the side with the pawn wins.
#pragma once

#include <cstdint>

#include "board/types.h"

namespace talvik {

// Index of a position in the table: the pawn is White's (moving up the
// board) on files a..d, ranks 2..7.
//   weakKing | strongKing << 6 | pawnCode << 12 | strongToMove << 17,
//   pawnCode = pawn file (0..3) | pawn rank << 2.
constexpr int kpkIndex(int strongToMove, Square strongKing, Square weakKing, Square pawn) {
  return weakKing | strongKing << 6 | (fileOf(pawn) | rankOf(pawn) << 2) << 12 | strongToMove << 17;
}

struct KpkPosition {
  int strongToMove;
  Square strongKing, weakKing, pawn;
};
// The position an index stands for (the inverse of kpkIndex).
constexpr KpkPosition kpkDecode(int index) {
  const int pawnCode = (index >> 12) & 31;
  return {(index >> 17) & 1, (index >> 6) & 63, index & 63, makeSquare(pawnCode & 3, pawnCode >> 2)};
}
inline constexpr int KpkIndexCount = 1 << 18;

// 1 when the side with the pawn wins, 0 for a draw (and for impossible
// positions). Squares are given as if the strong side were White; a pawn on
// files e..h is mirrored to a..d here.
int kpkProbe(int strongToMove, Square strongKing, Square weakKing, Square pawn);

}  // namespace talvik
