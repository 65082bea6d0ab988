#include "search/split_point.h"

#include <algorithm>
#include <cstring>

#include "board/makemove.h"
#include "search/alpha_beta.h"
#include "search/move_picker.h"
#include "search/node_support.h"
#include "search/root_search.h"
#include "search/thread_pool.h"

namespace talvik {

namespace {

// Killer rows a thread needs at a split point at `ply`: the node's own row
// and the ones below, plus two above for the sibling nodes that the
// picker's killers came from.
int firstKillerRow(int ply) { return std::max(ply - 2, 0); }

void copyKillers(Move (*to)[2], const Move (*from)[2], int ply) {
  const int first = firstKillerRow(ply);
  std::memcpy(to[first], from[first], sizeof to[0] * (MaxPly + 1 - first));
}

// A thread's own copy of the master's node: the position, the path that
// led to it (for repetitions), the opponent's last move (for the counter
// move and the null-move rule) and the master's killers.
void prepareHelperContext(SearchContext& ctx, SearchThread& thread, const SplitPoint& sp) {
  const SearchContext& master = *sp.context;
  ctx.engine = master.engine;
  ctx.thread = &thread;
  ctx.pool = master.pool;
  ctx.evalContext = master.evalContext;
  ctx.transTable = master.transTable;
  ctx.historyBase = thread.history;
  ctx.nodes = 0;
  ctx.selDepth = 0;
  ctx.board = master.board;
  ctx.repCount = master.repCount;
  std::memcpy(ctx.repKeys, master.repKeys, sizeof ctx.repKeys[0] * master.repCount);
  const int ply = sp.node.ply;
  if (ply > 0) ctx.moveStack[ply - 1] = master.moveStack[ply - 1];
  ctx.useNodeBudget = master.useNodeBudget;
  copyKillers(thread.killers, sp.killers, ply);
}

// After a search, outside the lock: a spent node budget sets the stop
// (which takes the pool lock, so never under a split point's lock).
void checkNodeBudget(SearchContext& ctx) {
  if (ctx.useNodeBudget) nodeBudgetExceeded(*ctx.engine);
}

// Takes the node's moves from the shared picker until none is left, the
// search stops or the node (or one enclosing it) is refuted. Called and
// returns with the split point locked; searches unlocked.
//
// Every thread here searches PV-style, whatever the node's own kind: no
// late-move pruning, the reduction lowered by one, a full-window re-search
// of a move that lands inside the window, and its line copied to the
// master. The moves shared are the node's late ones, which pruning and
// reductions would otherwise cut hardest.
void shareNodeMoves(SearchContext& ctx, SplitPoint& sp, std::unique_lock<std::mutex>& guard) {
  Board& board = ctx.board;
  NodeMoves node = sp.node;
  node.isPV = true;
  Move move = NoMove;
  int stage;
  while (!stoppedOrCutOff(ctx) && (stage = nextMove(*sp.picker, sp.context->board, move)) != PickerDone) {
    UndoRecord undo;
    makeMove(board, move, undo);
    if (moverLeftKingAttacked(board)) {
      unmakeMove(board, move, undo);
      continue;
    }
    const int moveCount = sp.moveCount++;
    const int alpha = sp.bestScore;  // the best score so far, whoever found it
    guard.unlock();
    int v = 0;
    const bool searched = searchMadeMove(ctx, node, move, undo, stage, moveCount, alpha, v);
    checkNodeBudget(ctx);
    guard.lock();
    if (!searched || stoppedOrCutOff(ctx) || v <= sp.bestScore) continue;
    sp.bestScore = v;
    sp.bestMove = move;
    if (v >= node.beta) {
      sp.cutoff = 1;
      return;
    }
    setLine(*sp.context, node.ply, move, ctx);
  }
}

// The root's version: the moves are taken in the order of the root list,
// from the position the master reached; multi-PV lines already finished
// in this iteration are skipped.
void shareRootMoves(SearchContext& ctx, SplitPoint& sp, std::unique_lock<std::mutex>& guard) {
  Engine& engine = *ctx.engine;
  const bool skipExcluded = engine.multiPV >= 2 && engine.excludedCount >= 1;
  const int iteration = sp.node.depth / OnePly;
  while (!stoppedOrCutOff(ctx) && sp.moveCount < sp.rootMoveCount) {
    const int index = sp.moveCount++;
    const Move move = sp.rootMoves[index].move;
    if (skipExcluded && isExcludedRootMove(engine, move)) continue;
    // Under the lock, so that the sink hears one thread at a time.
    if (engine.reportCurrMove) engine.reportSink->reportCurrentMove(move, index + 1);
    const int alpha = sp.bestScore;
    guard.unlock();
    const int v = searchRootMove(ctx, move, iteration, false, false, alpha, sp.node.beta);
    checkNodeBudget(ctx);
    guard.lock();
    if (stoppedOrCutOff(ctx) || v <= sp.bestScore) continue;
    sp.bestScore = v;
    sp.bestMove = move;
    setLine(*sp.context, 0, move, ctx);
    if (v >= sp.node.beta) {
      sp.cutoff = 1;
      return;
    }
  }
}

}  // namespace

bool split(SearchContext& ctx, const SplitOffer& offer, int& bestScore, Move& bestMove) {
  SearchThread& master = *ctx.thread;
  ThreadPool& pool = *ctx.pool;
  const int index = master.splitCount;
  SplitPoint& sp = master.splits[index];
  sp.parent = master.activeSplit;
  sp.master = &master;
  sp.context = &ctx;
  sp.picker = offer.picker;
  sp.rootMoves = offer.rootMoves;
  sp.rootMoveCount = offer.rootMoveCount;
  sp.node = offer.node;
  sp.rootSplit = offer.rootMoves != nullptr;
  sp.cutoff = 0;
  sp.moveCount = offer.moveCount;
  sp.nodes = 0;
  sp.selDepth = ctx.selDepth;
  sp.bestMove = bestMove;
  sp.bestScore = bestScore;
  sp.slavesMask = master.mask;
  sp.slaveCount = 1;
  copyKillers(sp.killers, master.killers, sp.node.ply);
  if (offer.picker != nullptr) std::memcpy(sp.history, *offer.picker->history, sizeof sp.history);

  {
    std::lock_guard<std::mutex> poolGuard(pool.poolLock);
    std::lock_guard<std::mutex> splitGuard(sp.lock);
    for (const auto& thread : pool.threads) {
      if (!mayHelp(*thread, master)) continue;
      sp.slavesMask = sp.slavesMask | thread->mask;
      ++sp.slaveCount;
      thread->activeSplit = &sp;
      thread->busy = 1;
      std::lock_guard<std::mutex> threadGuard(thread->lock);
      thread->wake.notify_one();
    }
    // The idle thread seen a moment ago found other work meanwhile.
    if (sp.slaveCount == 1) return false;
    // From here on the picker is shared: it orders quiet moves by the copy.
    if (offer.picker != nullptr) offer.picker->history = &sp.history;
    master.activeSplit = &sp;
    master.splitCount = index + 1;
    pool.statistics.splits.add(1);
    pool.statistics.helpersBooked.add(static_cast<std::uint64_t>(sp.slaveCount - 1));
    pool.statistics.shallowestDepth = std::min(pool.statistics.shallowestDepth.load(), sp.node.depth);
  }

  master.idleLoop(&sp);

  std::lock_guard<std::mutex> poolGuard(pool.poolLock);
  std::lock_guard<std::mutex> splitGuard(sp.lock);
  master.splitCount = index;
  master.activeSplit = sp.parent;
  ctx.nodes += sp.nodes;
  ctx.selDepth = std::max(ctx.selDepth, sp.selDepth);
  bestScore = sp.bestScore;
  bestMove = sp.bestMove;
  master.busy = 1;
  return true;
}

void workAtSplitPoint(SearchThread& thread, SplitPoint& sp) {
  SearchContext ctx;
  prepareHelperContext(ctx, thread, sp);
  std::unique_lock<std::mutex> guard(sp.lock);
  if (sp.rootSplit)
    shareRootMoves(ctx, sp, guard);
  else
    shareNodeMoves(ctx, sp, guard);

  thread.busy = 0;
  sp.nodes += ctx.nodes;
  sp.selDepth = std::max(sp.selDepth, ctx.selDepth);
  sp.slavesMask = sp.slavesMask & ~thread.mask;
  --sp.slaveCount;
  // The master may be asleep waiting for the last one to leave.
  if (sp.slavesMask == 0 && sp.master != &thread) {
    std::lock_guard<std::mutex> masterGuard(sp.master->lock);
    sp.master->wake.notify_one();
  }
}

}  // namespace talvik
