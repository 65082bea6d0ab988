#include "search/draw_rules.h"

#include "board/makemove.h"
#include "board/movegen.h"
#include "search/engine.h"

namespace talvik {

int drawValue(const Board& board, int rootSide) {
  return static_cast<int>(board.sideToMove) == rootSide ? -drawScore : drawScore;
}

bool insufficientMaterial(const Board& board) {
  return (board.pieces(Pawn, Black) | board.pieces(Pawn, White)) == 0 &&
         board.material[Black] + board.material[White] <= pieceValue[Bishop];
}

bool hasLegalEvasion(const Board& board) {
  MoveList list;
  const int count = generateEvasions(board, list.entries);
  Board scratch = board;
  for (int i = 0; i < count; ++i) {
    UndoRecord undo;
    makeMove(scratch, list.entries[i].move, undo);
    const bool legal = !moverLeftKingAttacked(scratch);
    unmakeMove(scratch, list.entries[i].move, undo);
    if (legal) return true;
  }
  return false;
}

bool drawRuleApplies(const SearchContext& ctx, bool inCheck) {
  const Board& board = ctx.board;
  if (insufficientMaterial(board)) return true;
  const int clock = board.halfmoveClock;
  if (clock >= 100 && (!inCheck || hasLegalEvasion(board))) return true;
  if (clock >= 4) {
    // repKeys[repCount - k] is the position k plies back; only the same side
    // to move can repeat, and nothing before the last irreversible move.
    const int oldest = ctx.repCount - 1 - clock > 0 ? ctx.repCount - 1 - clock : 0;
    for (int i = ctx.repCount - 4; i >= oldest; i -= 2)
      if (ctx.repKeys[i] == board.hashKey) return true;
  }
  return false;
}

}  // namespace talvik
