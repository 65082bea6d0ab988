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

}  // namespace talvik
