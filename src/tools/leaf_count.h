// The counting recursion behind every perft tool: evasions when in check,
// else captures then quiet moves; every move is made, its legality tested and
// unmade, also at the last ply (no bulk counting).
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/makemove.h"
#include "board/move.h"
#include "board/movegen.h"

namespace talvik {

// Walks the legal move tree below `board` to `depth` (>= 1) and calls
// onLeaf(board, move) for every leaf move, with the leaf move made on
// `board`. Returns the number of leaves. Each level keeps its move list in
// its own frame; the board is the same afterwards.
template <typename OnLeaf>
std::uint64_t walkLeaves(Board& board, int depth, OnLeaf&& onLeaf) {
  MoveList list;
  const bool inCheck = sideToMoveInCheck(board);
  const int count = generatePseudoLegal(board, list.entries, inCheck);
  // Squares through which a move could expose the king (see needsKingTest):
  // moves that touch none of them cannot leave it attacked.
  const Bitboard testSquares = kingTestSquares(board, inCheck);
  std::uint64_t leaves = 0;
  for (int i = 0; i < count; ++i) {
    const Move move = list.entries[i].move;
    const bool testKing = needsKingTest(move, testSquares);
    UndoRecord undo;
    makeMove(board, move, undo);
    if (!testKing || !moverLeftKingAttacked(board)) {
      if (depth <= 1) {
        onLeaf(board, move);
        ++leaves;
      } else {
        leaves += walkLeaves(board, depth - 1, onLeaf);
      }
    }
    unmakeMove(board, move, undo);
  }
  return leaves;
}

// Leaves of the legal move tree below `board` at `depth` (>= 1).
std::uint64_t countLeaves(Board& board, int depth);

}  // namespace talvik
