#include "eval/pawn_structure.h"

#include <algorithm>

#include "eval/eval_masks.h"
#include "eval/parameters.h"

namespace talvik {

namespace {

struct PawnSums {
  int mid = 0;
  int end = 0;
  Bitboard passed = 0;
};

PawnSums scoreColour(const Board& board, int colour) {
  const EvalParameters& p = evalParams;
  const Bitboard own = board.pieces(Pawn, colour);
  const Bitboard enemy = board.pieces(Pawn, colour ^ 1);
  const Bitboard enemyAttacks = pawnAttackSet(colour ^ 1, enemy);
  const int piece = pieceIndex(Pawn, colour);
  PawnSums sums;
  for (Bitboard pawns = own; pawns;) {
    const Square sq = popLowest(pawns);
    sums.mid += p.pstMid[piece][sq];
    sums.end += p.pstEnd[piece][sq];
    const bool doubled = (own & frontSpan[colour][sq]) != 0;
    const bool isolated = (own & adjacentFilesMask[fileOf(sq)]) == 0;
    const bool passed = (enemy & passedSpan[colour][sq]) == 0;
    // Of two pawns on one file only the front one can be passed: the rear
    // one is stuck behind it. A passer is never also backward.
    if (doubled) {
      sums.mid -= p.pawnDoubledMid;
      sums.end -= p.pawnDoubledEnd;
    } else if (passed) {
      sums.passed |= squareMask[sq];
    }
    if (isolated) {
      sums.mid -= p.pawnIsolatedMid;
      sums.end -= p.pawnIsolatedEnd;
    } else if (!passed) {
      // Backward: no own pawn beside or behind on the neighbouring files can
      // come to its support, and an enemy pawn controls its advance square.
      const bool backward = (own & supportSpan[colour][sq]) == 0 && (enemyAttacks & squareAhead(colour, sq)) != 0;
      if (backward) {
        sums.mid -= p.pawnBackwardMid;
        sums.end -= p.pawnBackwardEnd;
      }
    }
  }
  return sums;
}

}  // namespace

PawnEntry computePawnEntry(const Board& board) {
  const PawnSums white = scoreColour(board, White);
  const PawnSums black = scoreColour(board, Black);
  PawnEntry entry;
  entry.key = board.pawnKey;
  entry.passed[Black] = black.passed;
  entry.passed[White] = white.passed;
  entry.scoreMid = white.mid - black.mid;
  entry.scoreEnd = white.end - black.end;
  return entry;
}

const PawnEntry& probePawns(PawnHashTable& table, const Board& board) {
  // Entries scored with weights that have changed since are all forgotten.
  const std::uint32_t generation = parameterGeneration.load(std::memory_order_relaxed);
  if (table.generation != generation) {
    std::fill(table.entries.begin(), table.entries.end(), PawnEntry{});
    table.generation = generation;
  }
  PawnEntry& slot = table.entries[board.pawnKey & (PawnHashTable::EntryCount - 1)];
  if (slot.key != board.pawnKey) slot = computePawnEntry(board);
  return slot;
}

}  // namespace talvik
