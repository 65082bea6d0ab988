#include "search/quiescence.h"

#include <algorithm>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/see.h"
#include "search/draw_rules.h"
#include "search/gives_check.h"
#include "search/move_picker.h"
#include "search/node_support.h"

namespace talvik {

namespace {

// Captures by a more valuable piece (and quiet queen promotions) may lose
// material; they get this score and are searched only when the exchange on
// the target square does not lose.
constexpr int ExchangeTestedScore = 2000;

// Captures, capture-promotions to a queen and quiet queen promotions; no
// under-promotion.
int generateTacticalMoves(const Board& board, MoveEntry* list) {
  const int generated = generateCaptures(board, list);
  int count = 0;
  for (int i = 0; i < generated; ++i) {
    const Move m = list[i].move;
    const int promotion = movePromotion(m);
    if (promotion != NoPiece && promotion != Queen) continue;
    list[count].move = m;
    list[count].score = pieceValue[movePiece(m)] <= pieceValue[moveCaptured(m)] ? captureScore(m) : ExchangeTestedScore;
    ++count;
  }
  return count;
}

int generateScoredEvasions(const SearchContext& ctx, const Board& board, MoveEntry* list) {
  const int count = generateEvasionsQueenOnly(board, list);
  const int side = static_cast<int>(board.sideToMove);
  for (int i = 0; i < count; ++i) {
    const Move m = list[i].move;
    list[i].score = isCapture(m) || movePromotion(m) == Queen
                        ? captureScore(m)
                        : QuietScoreBase + ctx.historyBase[historyIndex(side, movePiece(m))][moveTo(m)];
  }
  return count;
}

// Outcome of searching one move of the quiescence loop.
enum class MoveOutcome { Illegal, Searched, Stopped };

// `testLegality`: the move may leave the own king attacked (see needsKingTest).
MoveOutcome searchMove(SearchContext& ctx, Move move, bool testLegality, int beta, int best, int depth, int ply,
                       bool isPV, int& value) {
  Board& board = ctx.board;
  UndoRecord undo;
  makeMove(board, move, undo);
  if (testLegality && moverLeftKingAttacked(board)) {
    unmakeMove(board, move, undo);
    return MoveOutcome::Illegal;
  }
  ctx.moveStack[ply] = move;
  countNode(ctx);
  const bool givesCheck = sideToMoveInCheck(board);
  pushKey(ctx, undo.hashKey);
  value = -quiesceGuarded(ctx, -beta, -best, depth - 1, ply + 1, isPV, givesCheck);
  unmakeMove(board, move, undo);
  popKey(ctx);
  return ctx.engine->stopRequest != StopNone ? MoveOutcome::Stopped : MoveOutcome::Searched;
}

}  // namespace

int quiesceGuarded(SearchContext& ctx, int alpha, int beta, int depth, int ply, bool isPV, bool inCheck) {
  if (ply >= MaxPly) {
    ctx.pvLength[MaxPly] = 0;
    return staticValue(ctx, alpha, beta);
  }
  clearPv(ctx, ply);
  // Under a strength cap the quiescence nodes are paced too: at a low cap
  // they are most of the nodes, and the first iterations have no others.
  if (ctx.engine->npsLimit != 0) throttleNps(*ctx.engine);
  if (!continueSearch(ctx)) return 0;
  return quiesce(ctx, alpha, beta, depth, ply, isPV, inCheck);
}

int quiesce(SearchContext& ctx, int alpha, int beta, int depth, int ply, bool isPV, bool inCheck) {
  Engine& engine = *ctx.engine;
  Board& board = ctx.board;
  if (isDrawByRule(ctx, inCheck)) return drawValue(board, engine.rootSide);
  ctx.selDepth = std::max(ctx.selDepth, ply);

  int best = alpha;
  if (!inCheck) {
    // Stand pat: the side to move need not capture.
    const int standPat = staticValue(ctx, alpha, beta);
    if (standPat > best) {
      if (standPat >= beta) return standPat;
      best = standPat;
    }
  }

  MoveList list;
  const int count = inCheck ? generateScoredEvasions(ctx, board, list.entries)
                            : generateTacticalMoves(board, list.entries);
  sortByScore(list.entries, count);

  // Only moves from these squares, king moves and en passant need the legality test.
  const Bitboard testSquares = kingTestSquares(board, inCheck);
  int legalMoves = 0;
  for (int i = 0; i < count; ++i) {
    const Move move = list.entries[i].move;
    if (ctx.useNodeBudget && nodeBudgetExceeded(engine)) return 0;
    if (!inCheck && list.entries[i].score == ExchangeTestedScore && staticExchange(board, move) < 0) continue;
    int value = 0;
    const MoveOutcome outcome =
        searchMove(ctx, move, needsKingTest(move, testSquares), beta, best, depth, ply, isPV, value);
    if (outcome == MoveOutcome::Illegal) continue;
    if (outcome == MoveOutcome::Stopped) return 0;
    ++legalMoves;
    if (value > best) {
      if (value >= beta) return value;
      best = value;
      if (isPV) updatePV(ctx, ply, move);
    }
  }

  if (inCheck) {
    if (legalMoves == 0) {
      ctx.pvLength[ply] = 0;
      return ply - MateScore;
    }
    return best;
  }

  // At the first quiescence ply, quiet moves that give check and do not hang
  // the moving piece.
  if (depth >= 0) {
    const CheckTargets targets = checkTargets(board);
    // Only the moves that may check are generated (all of them in a
    // position where the enemy king already stands attacked).
    const int quiets = targets.kingAttacked
                           ? generateQuiets(board, list.entries)
                           : generateQuietsOnto(board, list.entries, targets.direct, targets.discoverers);
    for (int i = 0; i < quiets; ++i) {
      const Move move = list.entries[i].move;
      if (!quietMoveGivesCheck(board, targets, move)) continue;
      if (ctx.useNodeBudget && nodeBudgetExceeded(engine)) return 0;
      if (staticExchange(board, move) < 0) continue;
      int value = 0;
      const MoveOutcome outcome =
          searchMove(ctx, move, needsKingTest(move, testSquares), beta, best, depth, ply, isPV, value);
      if (outcome == MoveOutcome::Illegal) continue;
      if (outcome == MoveOutcome::Stopped) return 0;
      if (value > best) {
        if (value >= beta) return value;
        best = value;
        if (isPV) updatePV(ctx, ply, move);
      }
    }
  }
  return best;
}

}  // namespace talvik
