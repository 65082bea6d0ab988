#include "eval/kpk_bitbase.h"

#include "eval/kpk_bitbase_data.h"

namespace talvik {

int kpkProbe(int strongToMove, Square strongKing, Square weakKing, Square pawn) {
  if (fileOf(pawn) >= 4) {  // left-right mirror: the files a..d hold every case
    strongKing ^= 7;
    weakKing ^= 7;
    pawn ^= 7;
  }
  const int index = kpkIndex(strongToMove ? 1 : 0, strongKing & 63, weakKing & 63, pawn & 63);
  return static_cast<int>((KpkBitbaseWords[index >> 5] >> (index & 31)) & 1);
}

}  // namespace talvik
