#include "tools/leaf_count.h"

#include "board/makemove.h"
#include "board/movegen.h"

namespace talvik {

std::uint64_t countLeaves(Board& board, int depth) {
  MoveList list;
  const int us = static_cast<int>(board.sideToMove);
  const bool inCheck = isSquareAttacked(board, board.kingSquare[us], us ^ 1);
  const int count = generatePseudoLegal(board, list.entries, inCheck);
  const Bitboard testSquares = kingTestSquares(board, inCheck);
  std::uint64_t leaves = 0;
  for (int i = 0; i < count; ++i) {
    const Move m = list.entries[i].move;
    const bool testKing = needsKingTest(m, testSquares);
    UndoRecord undo;
    makeMove(board, m, undo);
    if (!testKing || !isSquareAttacked(board, board.kingSquare[us], us ^ 1))
      leaves += depth <= 1 ? 1 : countLeaves(board, depth - 1);
    unmakeMove(board, m, undo);
  }
  return leaves;
}

}  // namespace talvik
