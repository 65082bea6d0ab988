// Pseudo-legal move generation in the fixed order that move ordering and the
// perft tools rely on. Each generator writes Move words from `list` onwards
// and returns how many it wrote; a list needs room for MaxMoves entries.
#pragma once

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// Captures (en passant included) and every promotion.
int generateCaptures(const Board& board, MoveEntry* list);
// Castling and non-capturing, non-promoting moves.
int generateQuiets(const Board& board, MoveEntry* list);
// The moves of generateQuiets, in its order, that castle, land on
// `wantedTo[piece type]` or start on a square of `anyFrom`: the quiet moves
// that may give check, for example, without generating all of them.
int generateQuietsOnto(const Board& board, MoveEntry* list, const Bitboard (&wantedTo)[8], Bitboard anyFrom);
// All evasions when the side to move is in check: safe king steps first, then
// (against a single checker) captures of the checker and blocks.
int generateEvasions(const Board& board, MoveEntry* list);
// As generateEvasions, but each promotion only to a queen.
int generateEvasionsQueenOnly(const Board& board, MoveEntry* list);
// Evasions when in check, else captures followed by quiet moves.
int generatePseudoLegal(const Board& board, MoveEntry* list, bool inCheck);
// The pseudo-legal moves that do not leave the mover's king attacked, in the
// same order.
int generateLegal(const Board& board, MoveEntry* list, bool inCheck);
// Whether making `move` would leave the mover's own king attacked (the move
// is played on a copy of the board).
bool leavesKingAttacked(const Board& board, Move move);
// Whether an arbitrary move word (hash move, killer, text input) could have
// been produced by the generators in this position.
bool isPseudoLegal(const Board& board, Move move);

// Squares whose pieces may leave the mover's king attacked when they move:
// every square when in check, else the pinned pieces. Computed once per
// position, before any move is made.
inline Bitboard kingTestSquares(const Board& board, bool inCheck) {
  return inCheck ? ~Bitboard{0} : pinnedPieces(board);
}
// Whether the mover's king has to be tested for attack after `move`. Outside
// check, a move can expose its own king only by moving the king or by taking
// a pinned piece off its line (en passant vacates two squares and is always
// tested); a capture only removes attackers. Skipping the test for every other
// move gives exactly the answer the test would give.
inline bool needsKingTest(Move move, Bitboard testSquares) {
  return movePiece(move) == King || isEnPassant(move) || (testSquares & squareMask[moveFrom(move)]) != 0;
}

}  // namespace talvik
