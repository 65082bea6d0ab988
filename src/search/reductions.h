// Late-move reduction and late-move pruning tables.
#pragma once

namespace talvik {

// [remaining depth in plies, capped at 63][moves searched, capped at 63]:
// trunc(ln(depth) * ln(moves) / 2.4), clamped to 0..10; 0 below 3 plies.
extern int lmrTable[64][64];
// Moves searched before late-move pruning starts, by remaining depth in plies.
inline constexpr int lmpTable[16] = {4, 4, 7, 12, 18, 26, 36, 48, 61, 76, 94, 112, 133, 156, 180, 206};

void initReductionTables();

}  // namespace talvik
