// Positions the search scores as draws without searching them: too little
// material to mate, the fifty-move rule, and a repetition of an earlier
// position of the game or of the search path.
#pragma once

#include "board/board.h"
#include "search/search_context.h"

namespace talvik {

// The value of a draw for the side to move: the configured DrawScore is the
// root side's view of a draw, so the root side gets -DrawScore (a positive
// DrawScore makes the engine avoid draws) and its opponent +DrawScore.
int drawValue(const Board& board, int rootSide);

// Neither side has a pawn and the pieces together are worth no more than a bishop.
bool insufficientMaterial(const Board& board);

// Whether the side to move, in check, has any legal move.
bool hasLegalEvasion(const Board& board);

// The draw rules in their order: insufficient material; fifty moves without
// capture or pawn move (unless the side to move is checkmated, which the
// search finds); one earlier occurrence of the position since the last
// irreversible move, looked up in the context's repetition list.
bool drawRuleApplies(const SearchContext& ctx, bool inCheck);

// drawRuleApplies, with the common case inline: with a pawn on the board and
// fewer than four plies since the last capture or pawn move, no rule applies.
inline bool isDrawByRule(const SearchContext& ctx, bool inCheck) {
  const Board& board = ctx.board;
  if (board.halfmoveClock < 4 && (board.pieces(Pawn, Black) | board.pieces(Pawn, White)) != 0) return false;
  return drawRuleApplies(ctx, inCheck);
}

}  // namespace talvik
