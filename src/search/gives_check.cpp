#include "search/gives_check.h"

#include "board/makemove.h"

namespace talvik {

bool quietMoveGivesCheck(const Board& board, Move move) {
  const int us = static_cast<int>(board.sideToMove);
  const Square king = board.kingSquare[us ^ 1];
  if (isCastle(move)) {
    // Rare enough to settle by playing it; king and rook both move.
    Board scratch = board;
    UndoRecord undo;
    makeMove(scratch, move, undo);
    return isSquareAttacked(scratch, king, us);
  }
  const Square from = moveFrom(move), to = moveTo(move);
  const Bitboard kingBit = squareMask[king];
  const Bitboard occupancy = (board.occupied & ~squareMask[from]) | squareMask[to];
  switch (movePiece(move)) {
    case Pawn: if (pawnAttacks[us][to] & kingBit) return true; break;
    case Knight: if (knightAttacks[to] & kingBit) return true; break;
    case Bishop: if (bishopAttacks(to, occupancy) & kingBit) return true; break;
    case Rook: if (rookAttacks(to, occupancy) & kingBit) return true; break;
    case Queen: if (queenAttacks(to, occupancy) & kingBit) return true; break;
    default: break;
  }
  // The piece left `from`: a slider of ours behind it may now see the king.
  const Bitboard queens = board.pieces(Queen, us);
  const Bitboard diagonal = (board.pieces(Bishop, us) | queens) & ~squareMask[from];
  const Bitboard straight = (board.pieces(Rook, us) | queens) & ~squareMask[from];
  return (bishopAttacks(king, occupancy) & diagonal) || (rookAttacks(king, occupancy) & straight);
}

CheckTargets checkTargets(const Board& board) {
  const int us = static_cast<int>(board.sideToMove);
  const Square king = board.kingSquare[us ^ 1];
  const Bitboard diagonalView = bishopAttacks(king, board.occupied);
  const Bitboard straightView = rookAttacks(king, board.occupied);
  CheckTargets targets{};
  // The views from the king through the present occupancy. A quiet move
  // adds only its target square, which no view passes through, and empties
  // its origin, which matters only for a piece that uncovers a line or
  // already sees the king: those take the full test.
  targets.direct[Pawn] = pawnAttacks[us ^ 1][king];
  targets.direct[Knight] = knightAttacks[king];
  targets.direct[Bishop] = diagonalView;
  targets.direct[Rook] = straightView;
  targets.direct[Queen] = diagonalView | straightView;

  const Bitboard queens = board.pieces(Queen, us);
  Bitboard snipers = ((board.pieces(Bishop, us) | queens) & bishopRays[king]) |
                     ((board.pieces(Rook, us) | queens) & rookRays[king]);
  while (snipers) {
    const Bitboard blockers = betweenMask[king][popLowest(snipers)] & board.occupied;
    if (blockers && !moreThanOne(blockers)) targets.discoverers |= blockers & board.colourBB[us];
  }
  targets.kingAttacked = isSquareAttacked(board, king, us);
  return targets;
}

}  // namespace talvik
