#include "board/see.h"

#include <algorithm>

namespace talvik {

namespace {

// Which lines a piece of each type opens when it leaves a square: bit 0 the
// diagonals, bit 1 the files and ranks.
constexpr int DiagonalLine = 1, StraightLine = 2;
constexpr int OpensLines[8] = {0, DiagonalLine, 0, DiagonalLine, StraightLine, DiagonalLine | StraightLine, 0, 0};

Bitboard diagonalSliders(const Board& b) {
  return b.pieces(Bishop, Black) | b.pieces(Bishop, White) | b.pieces(Queen, Black) | b.pieces(Queen, White);
}
Bitboard straightSliders(const Board& b) {
  return b.pieces(Rook, Black) | b.pieces(Rook, White) | b.pieces(Queen, Black) | b.pieces(Queen, White);
}

// Sliders that see `target` through `occupancy` along the opened lines.
Bitboard uncoveredAttackers(const Board& b, Square target, Bitboard occupancy, int lines) {
  Bitboard found = 0;
  if (lines & DiagonalLine) found |= diagonalSliders(b) & bishopAttacks(target, occupancy);
  if (lines & StraightLine) found |= straightSliders(b) & rookAttacks(target, occupancy);
  return found;
}

}  // namespace

int staticExchange(const Board& b, Move move) {
  if (isCastle(move)) return 0;
  const Square from = moveFrom(move), target = moveTo(move);
  const int us = static_cast<int>(b.sideToMove);
  const int mover = movePiece(move);

  Bitboard occupancy = b.occupied & ~squareMask[from];
  if (isEnPassant(move)) occupancy &= ~squareMask[target + epCaptureOffset[us]];

  // One entry per capture; there are never more captures than pieces.
  int gain[34];
  int depth = 0;
  gain[0] = ExchangeValue[isEnPassant(move) ? Pawn : moveCaptured(move)];

  // The mover leaves its square: the slider behind it on its line to the
  // target (a file for a pawn push, a rank or file behind an en-passant
  // capture) joins at once. Only the line through the mover's square can
  // open, so looking through the new occupancy is the same as looking
  // through the old one and adding the uncovered sliders. A king opens no
  // line, as in the exchange loop below.
  const Bitboard seen = mover == King ? b.occupied : occupancy;
  Bitboard attackers = attackersOf(b, target, seen) & occupancy;
  if (!attackers) return gain[0];

  int onTarget = mover;
  int side = us ^ 1;
  for (;;) {
    const Bitboard ours = attackers & b.colourBB[side];
    int picked = NoPiece;
    Bitboard pickedBit = 0;
    for (int type = Pawn; type <= King; ++type) {
      const Bitboard candidates = ours & b.pieces(type, side);
      if (candidates) {
        picked = type;
        pickedBit = candidates & (0 - candidates);  // the lowest square
        break;
      }
    }
    if (picked == NoPiece) break;

    occupancy &= ~pickedBit;
    attackers |= uncoveredAttackers(b, target, occupancy, OpensLines[picked]);
    attackers &= occupancy;

    ++depth;
    gain[depth] = ExchangeValue[onTarget] - gain[depth - 1];
    if (onTarget == King || !attackers) break;
    onTarget = picked;
    side ^= 1;
  }

  // Each side takes the better of stopping and going on.
  for (; depth > 0; --depth) gain[depth - 1] = -std::max(-gain[depth - 1], gain[depth]);
  return gain[0];
}

}  // namespace talvik
