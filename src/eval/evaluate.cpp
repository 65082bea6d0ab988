#include "eval/evaluate.h"

namespace talvik {

// Material only, until the full evaluation lands.
int evaluate(const Personality& personality, const Board& board, PawnHashTable& pawnHash) {
  (void)personality, (void)pawnHash;
  const int balance = board.material[White] - board.material[Black];
  return board.sideToMove == White ? balance : -balance;
}

int evaluateLazy(const Personality& personality, const Board& board, PawnHashTable& pawnHash, int alpha, int beta) {
  const int balance = board.material[White] - board.material[Black];
  const int m = board.sideToMove == White ? balance : -balance;
  if (m + 325 < alpha || m - 325 > beta) return m;
  return evaluate(personality, board, pawnHash);
}

}  // namespace talvik
