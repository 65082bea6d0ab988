#include "search/reductions.h"

#include <algorithm>
#include <cmath>

namespace talvik {

int lmrTable[64][64];

void initReductionTables() {
  for (int depth = 0; depth < 64; ++depth) {
    for (int moves = 0; moves < 64; ++moves) {
      // The search reduces only from 3 plies on; the rows below stay 0 so the
      // table never offers a reduction there.
      if (depth < 3 || moves == 0) {
        lmrTable[depth][moves] = 0;
        continue;
      }
      const double r = std::log(static_cast<double>(depth)) * std::log(static_cast<double>(moves)) * 0.4166666666666667;
      lmrTable[depth][moves] = std::clamp(static_cast<int>(r), 0, 10);
    }
  }
}

}  // namespace talvik
