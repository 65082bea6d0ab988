#include "search/alpha_beta.h"

#include <algorithm>
#include <cstdlib>

#include "board/makemove.h"
#include "board/movegen.h"
#include "search/draw_rules.h"
#include "search/move_picker.h"
#include "search/node_support.h"
#include "search/quiescence.h"
#include "search/reductions.h"
#include "search/split_hooks.h"
#include "search/table_probes.h"
#include "search/transposition_table.h"

namespace talvik {

namespace {

// Null move: let the opponent move twice; if a reduced search still fails
// high, the position is good enough to cut. Returns true with `value` when it
// cut (or the search was stopped, value 0).
bool nullMoveCuts(SearchContext& ctx, int beta, int depth, int ply, int& value) {
  Board& board = ctx.board;
  const int reduction = 3 + (depth >> 1) / 8;
  UndoRecord undo;
  pushKey(ctx, board.hashKey);
  makeNullMove(board, undo);
  ctx.moveStack[ply] = NoMove;
  const int v = -searchNode(ctx, -beta, 1 - beta, depth - OnePly - OnePly * reduction, ply + 1, false, false);
  unmakeNullMove(board, undo);
  popKey(ctx);
  if (ctx.engine->stopRequest != StopNone) {
    value = 0;
    return true;
  }
  value = v;
  return v >= beta;
}

}  // namespace

bool searchMadeMove(SearchContext& ctx, const NodeMoves& node, Move move, const UndoRecord& undo, int stage,
                    int moveCount, int alpha, int& value) {
  Board& board = ctx.board;
  const int ply = node.ply;
  const int beta = node.beta;
  ctx.moveStack[ply] = move;
  const bool givesCheck = sideToMoveInCheck(board);
  const bool pawnToSeventh = isPawnToSeventh(move);
  const int extension = givesCheck || pawnToSeventh ? OnePly : 0;
  const bool quietStage = stage == QuietStage && !node.inCheck && !givesCheck && !pawnToSeventh;
  const bool tactical = isCapture(move) || isPromotion(move);

  if (node.futile && moveCount > 0 && !givesCheck && !pawnToSeventh && !tactical) {
    unmakeMove(board, move, undo);
    return false;
  }
  // Late-move pruning: after enough quiet moves, the rest are skipped.
  const int plies = node.depth >> 1;
  if (quietStage && !node.isPV && node.depth < 16 * OnePly && moveCount > lmpTable[plies]) {
    unmakeMove(board, move, undo);
    return false;
  }

  countNode(ctx);
  pushKey(ctx, undo.hashKey);
  const int newDepth = node.depth + extension - OnePly;
  int v;
  if (moveCount == 0) {
    v = -searchNode(ctx, -beta, -alpha, newDepth, ply + 1, node.isPV, givesCheck);
  } else {
    bool fullDepth = true;
    // Late-move reduction: a late quiet move is first searched shallower.
    if (node.reductionsAllowed && quietStage && moveCount >= 3) {
      int r = lmrTable[std::min(plies, 63)][std::min(moveCount, 63)];
      if (node.isPV && r > 0) --r;
      if (r > 0) {
        v = -searchNode(ctx, -alpha - 1, -alpha, newDepth - OnePly * r, ply + 1, false, false);
        fullDepth = v > alpha;
      }
    }
    if (fullDepth) {
      v = -searchNode(ctx, -alpha - 1, -alpha, newDepth, ply + 1, false, givesCheck);
      if (v > alpha && v < beta) v = -searchNode(ctx, -beta, -alpha, newDepth, ply + 1, node.isPV, givesCheck);
    }
  }
  unmakeMove(board, move, undo);
  popKey(ctx);
  value = v;
  return true;
}

int searchNode(SearchContext& ctx, int alpha, int beta, int depth, int ply, bool isPV, bool inCheck) {
  // 1. At the horizon the quiescence search takes over.
  if (depth < OnePly) return quiesceGuarded(ctx, alpha, beta, 0, ply, isPV, inCheck);

  Engine& engine = *ctx.engine;
  Board& board = ctx.board;
  SearchThread& thread = *ctx.thread;

  // 2. Throttle and poll.
  clearPv(ctx, ply);
  if (engine.npsLimit != 0) throttleNps(engine);
  if (!continueSearch(ctx)) return 0;

  // 3. Too deep to go on: the static value.
  if (ply >= MaxPly) return staticValue(ctx, alpha, beta);

  // 4. Draws by rule.
  if (isDrawByRule(ctx, inCheck)) return drawValue(board, engine.rootSide);

  // 5. Selective depth; mate-distance bounds: no line from here can mate
  // faster than at the next ply or be mated sooner than here.
  ctx.selDepth = std::max(ctx.selDepth, ply);
  alpha = std::max(alpha, ply - MateScore);
  beta = std::min(beta, MateScore - ply);
  if (alpha >= beta) return alpha;

  // 6. A usable table entry ends the node; its move is tried first.
  Move hashMove = NoMove;
  int tableScore = 0;
  if (ctx.transTable->probe(board.hashKey, depth, ply, alpha, beta, hashMove, tableScore) != ProbeNone)
    return tableScore;

  // 6b. Endgame tables: right after a capture or pawn move, a position with
  // few enough pieces has its value there (never with castling rights).
  if (engine.tablePieces != 0 && board.halfmoveClock == 0 && board.castleRights == 0 &&
      probeTableNode(ctx, depth, ply, tableScore)) {
    ctx.transTable->store(board.hashKey, NoMove, tableScore, depth, ply, BoundExact);
    return tableScore;
  }

  const int us = static_cast<int>(board.sideToMove);
  const int plies = depth >> 1;
  int staticEval = 0;

  // 7. Pruning of whole nodes, outside the principal variation and check.
  if (!isPV && !inCheck) {
    if (depth < 4 * OnePly) {
      staticEval = staticValue(ctx, alpha, beta);
      // Razoring: this far below beta only a tactic can help; let the
      // quiescence search confirm that there is none.
      if (staticEval + RazorMargin[plies] < beta) {
        const int target = beta - RazorMargin[plies];
        const int v = quiesceGuarded(ctx, target - 1, target, 0, ply + 1, false, false);
        if (v < target) return v;
      }
      // Static null move: still above beta after conceding the margin.
      if (std::abs(beta) <= MateThreshold && staticEval - FutilityMargin[plies] >= beta)
        return staticEval - FutilityMargin[plies];
    }
    // Not twice in a row, not with pawns alone (zugzwang), not too near the horizon.
    if (ctx.moveStack[ply - 1] != NoMove && board.phase[us] != 0 && depth > 3 && engine.useNullMove) {
      int value = 0;
      if (nullMoveCuts(ctx, beta, depth, ply, value)) return value;
    }
  }

  // 8. Internal iterative deepening: a PV node without a hash move first
  // searches shallower to find one.
  if (isPV && !inCheck && hashMove == NoMove && depth >= 5 * OnePly) {
    clearPv(ctx, ply);
    searchNode(ctx, alpha, beta, depth - 2 * OnePly, ply, true, false);
    hashMove = ctx.pvLength[ply] > 0 ? ctx.pvTable[ply][0] : NoMove;
    ctx.pvLength[ply] = 0;
  }

  // 9. Nothing more to do after a stop or a refutation at a split point.
  if (stoppedOrCutOff(ctx)) return 0;

  // 10. Futility: near the horizon, with the static value plus a margin
  // still not above alpha, quiet moves are not worth searching.
  bool futile = false;
  int futilityValue = 0;
  if (!isPV && !inCheck && depth < 4 * OnePly && board.phase[Black] + board.phase[White] != 0) {
    futilityValue = staticEval + FutilityMargin[plies];
    futile = futilityValue <= alpha;
  }

  // 11. The moves.
  const Move previous = ctx.moveStack[ply - 1];
  const Move counter =
      previous != NoMove ? thread.counterMoves[us][moveFrom(previous)][moveTo(previous)] : NoMove;
  MovePicker picker;
  initPicker(picker, inCheck, hashMove, thread.killers[ply][0], thread.killers[ply][1], counter, thread.history);
  NodeMoves node;
  node.beta = beta;
  node.depth = depth;
  node.ply = ply;
  node.isPV = isPV;
  node.inCheck = inCheck;
  node.futile = futile;
  node.reductionsAllowed = !inCheck && depth > 5 && engine.useLMR;
  Move triedQuiets[MaxTriedQuiets];
  int triedCount = 0;
  int moveCount = 0;
  Move bestMove = NoMove;
  Move move = NoMove;
  int stage;
  // Only moves from these squares, king moves and en passant need the legality test.
  const Bitboard testSquares = kingTestSquares(board, inCheck);
  while ((stage = nextMove(picker, board, move)) != PickerDone) {
    if (ctx.useNodeBudget && nodeBudgetExceeded(engine)) return 0;

    UndoRecord undo;
    makeMove(board, move, undo);
    if (needsKingTest(move, testSquares) && moverLeftKingAttacked(board)) {
      unmakeMove(board, move, undo);
      continue;
    }
    int v = 0;
    if (!searchMadeMove(ctx, node, move, undo, stage, moveCount, alpha, v)) {
      ++moveCount;
      continue;
    }
    if (stoppedOrCutOff(ctx)) return 0;

    ++moveCount;
    if (v > alpha) {
      alpha = v;
      bestMove = move;
      if (v >= beta) break;
      if (isPV) updatePV(ctx, ply, move);
    }
    if (!isCapture(move) && !isPromotion(move) && triedCount < MaxTriedQuiets) triedQuiets[triedCount++] = move;

    // Split point: idle threads take over the rest of the moves.
    if (depth > minSplitDepth && ctx.pool->threadCount >= 2) {
      SplitOffer offer;
      offer.picker = &picker;
      offer.node = node;
      offer.moveCount = moveCount;
      if (offerSplit(ctx, offer, alpha, bestMove)) {
        if (stoppedOrCutOff(ctx)) return 0;
        break;
      }
    }
  }

  // 12. Ordering tables learn from a quiet refutation.
  const bool cutOff = alpha >= beta;
  if (cutOff && !inCheck && bestMove != NoMove && !isCapture(bestMove) && !isPromotion(bestMove))
    rewardQuietCutoff(thread, us, ply, plies, bestMove, triedQuiets, triedCount, previous);

  // 13. A fail-low node returns alpha, a cut-off the score that cut.
  if (moveCount > 0) {
    const int bound = cutOff ? BoundLower : bestMove == NoMove ? BoundUpper : BoundExact;
    ctx.transTable->store(board.hashKey, bestMove != NoMove ? bestMove : picker.hashMove, alpha, depth, ply, bound);
    return alpha;
  }
  // 14. No legal move: mated or stalemate.
  return inCheck ? ply - MateScore : drawValue(board, engine.rootSide);
}

}  // namespace talvik
