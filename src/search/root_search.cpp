#include "search/root_search.h"

#include <algorithm>
#include <cstdlib>

#include "board/makemove.h"
#include "board/movegen.h"
#include "search/alpha_beta.h"
#include "search/draw_rules.h"
#include "search/move_picker.h"
#include "search/node_support.h"
#include "search/quiescence.h"
#include "search/split_hooks.h"
#include "search/transposition_table.h"

namespace talvik {

namespace {

constexpr int FirstAspirationIteration = 6;
constexpr int AspirationHalfWidth = 30;
constexpr int AspirationLimit = 641;

}  // namespace

bool isExcludedRootMove(const Engine& engine, Move move) {
  for (int i = 0; i < engine.excludedCount; ++i)
    if (engine.excludedMoves[i] == move) return true;
  return false;
}

int searchRootMove(SearchContext& ctx, Move move, int iteration, bool onlyMove, bool first, int alpha, int beta) {
  Board& board = ctx.board;
  UndoRecord undo;
  pushKey(ctx, board.hashKey);
  makeMove(board, move, undo);
  countNode(ctx);
  ctx.moveStack[0] = move;
  const bool givesCheck = sideToMoveInCheck(board);
  // A check, a pawn reaching its seventh rank or a forced move is searched one ply deeper.
  const int extension = givesCheck || isPawnToSeventh(move) || onlyMove ? OnePly : 0;
  const int childDepth = OnePly * iteration + extension - OnePly;
  int v;
  if (first) {
    v = -searchPly1(ctx, -beta, -alpha, childDepth, true, givesCheck);
  } else {
    v = -searchPly1(ctx, -alpha - 1, -alpha, childDepth, false, givesCheck);
    if (v > alpha && v < beta) v = -searchPly1(ctx, -beta, -alpha, childDepth, true, givesCheck);
  }
  unmakeMove(board, move, undo);
  popKey(ctx);
  return v;
}

void generateRootMoves(const SearchContext& ctx, RootMoves& root) {
  root.count = generateLegal(ctx.board, root.moves, sideToMoveInCheck(ctx.board));
  for (int i = 0; i < root.count; ++i) root.moves[i].score = 0;
}

bool containsMove(const RootMoves& root, Move move) {
  for (int i = 0; i < root.count; ++i)
    if (root.moves[i].move == move) return true;
  return false;
}

void moveToFront(RootMoves& root, Move move) {
  for (int i = 0; i < root.count; ++i) {
    if (root.moves[i].move != move) continue;
    const MoveEntry entry = root.moves[i];
    for (int j = i; j > 0; --j) root.moves[j] = root.moves[j - 1];
    root.moves[0] = entry;
    return;
  }
}

void orderRootMoves(SearchContext& ctx, RootMoves& root) {
  Board& board = ctx.board;
  for (int i = 0; i < root.count; ++i) {
    MoveEntry& entry = root.moves[i];
    if (!continueSearch(ctx)) {
      entry.score = 0;
      continue;
    }
    UndoRecord undo;
    pushKey(ctx, board.hashKey);
    makeMove(board, entry.move, undo);
    ctx.moveStack[0] = entry.move;
    entry.score = -quiesce(ctx, -MateScore, MateScore, -1, 1, true, sideToMoveInCheck(board));
    unmakeMove(board, entry.move, undo);
    popKey(ctx);
  }
  sortByScore(root.moves, root.count);
}

int searchRootMoves(SearchContext& ctx, RootMoves& root, int iteration, int low, int high) {
  Engine& engine = *ctx.engine;
  Board& board = ctx.board;
  SearchThread& thread = *ctx.thread;
  const bool inCheck = sideToMoveInCheck(board);
  const int us = static_cast<int>(board.sideToMove);
  const bool skipExcluded = engine.multiPV >= 2 && engine.excludedCount >= 1;

  ctx.pvLength[0] = 0;
  if (engine.reportCurrMove) engine.reportSink->reportDepth(iteration);
  thread.busy = 1;

  int alpha = low;
  const int beta = high;
  Move bestMove = NoMove;
  Move triedQuiets[MaxTriedQuiets];
  int triedCount = 0;
  int searched = 0;
  for (int i = 0; i < root.count; ++i) {
    const Move move = root.moves[i].move;
    if (ctx.useNodeBudget && nodeBudgetExceeded(engine)) break;
    if (skipExcluded && isExcludedRootMove(engine, move)) continue;

    if (engine.reportCurrMove) engine.reportSink->reportCurrentMove(move, i + 1);
    const int v = searchRootMove(ctx, move, iteration, root.count == 1, i == 0, alpha, beta);
    ++searched;
    if (stoppedOrCutOff(ctx)) break;

    if (v > alpha) {
      alpha = v;
      bestMove = move;
      updatePV(ctx, 0, move);
      if (v >= beta) break;
    }
    if (!isCapture(move) && !isPromotion(move) && triedCount < MaxTriedQuiets) triedQuiets[triedCount++] = move;

    if (ctx.pool->threadCount >= 2 && OnePly * iteration > minSplitDepth && i + 1 < root.count) {
      SplitOffer offer;
      offer.rootMoves = root.moves;
      offer.rootMoveCount = root.count;
      offer.node.beta = beta;
      offer.node.depth = OnePly * iteration;
      offer.node.isPV = true;
      offer.node.inCheck = inCheck;
      offer.moveCount = i + 1;
      if (offerSplit(ctx, offer, alpha, bestMove)) break;
    }
  }
  thread.busy = 0;

  if (stoppedOrCutOff(ctx)) return alpha;
  if (searched == 0) return inCheck ? -MateScore : drawValue(board, engine.rootSide);

  const int depth = OnePly * iteration;
  if (alpha >= beta) {
    if (!inCheck && !isCapture(bestMove) && !isPromotion(bestMove))
      rewardQuietCutoff(thread, us, 0, iteration, bestMove, triedQuiets, triedCount, NoMove);
    ctx.transTable->store(board.hashKey, bestMove, alpha, depth, 0, BoundLower);
  } else {
    const Move stored = bestMove != NoMove ? bestMove : root.moves[0].move;
    ctx.transTable->store(board.hashKey, stored, alpha, depth, 0, bestMove != NoMove ? BoundExact : BoundUpper);
  }
  return alpha;
}

AspirationWindow initialWindow(int iteration, int previousScore) {
  AspirationWindow window;
  if (iteration >= FirstAspirationIteration) {
    window.low = std::max(previousScore - AspirationHalfWidth, -FullWindow);
    window.high = std::min(previousScore + AspirationHalfWidth, FullWindow);
  }
  return window;
}

void widenWindow(AspirationWindow& window, int result) {
  if (std::abs(result) > MateThreshold) {
    window.low = -FullWindow;
    window.high = FullWindow;
    return;
  }
  const bool widen = 2 * window.halfWidth < AspirationLimit;
  if (result <= window.low) {
    window.low = widen ? std::max(window.low - window.halfWidth, -FullWindow) : -FullWindow;
  } else if (result >= window.high) {
    window.high = widen ? window.high + window.halfWidth : FullWindow;
    if (window.high > MateScore) window.high = FullWindow;
  }
  if (widen) window.halfWidth *= 2;
}

}  // namespace talvik
