// Whether a move checks the opponent's king, decided without making it.
#pragma once

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// For moves without capture or promotion (castling included): a direct check
// by the moved piece or a discovered check by a slider behind its origin.
bool quietMoveGivesCheck(const Board& board, Move move);

// What the side to move's quiet moves need in order to check: worked out once
// per position, so that testing a move costs one or two bit tests.
struct CheckTargets {
  Bitboard direct[8];     // by piece type: the squares from which it attacks the enemy king
  Bitboard discoverers;   // own pieces that alone block an own slider's line to that king
  bool kingAttacked;      // the enemy king already stands attacked (not a legal position)
};
CheckTargets checkTargets(const Board& board);

// The same answer as quietMoveGivesCheck(board, move), for the position
// `targets` was computed for.
inline bool quietMoveGivesCheck(const Board& board, const CheckTargets& targets, Move move) {
  // Castling, a piece that may uncover a line and positions where the enemy
  // king already stands attacked take the full test.
  if (targets.kingAttacked || isCastle(move) || (targets.discoverers & squareMask[moveFrom(move)]))
    return quietMoveGivesCheck(board, move);
  return (targets.direct[movePiece(move)] & squareMask[moveTo(move)]) != 0;
}

}  // namespace talvik
