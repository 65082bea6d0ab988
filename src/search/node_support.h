// Small steps shared by the root, alpha-beta and quiescence searches.
#pragma once

#include "eval/evaluate.h"
#include "search/engine.h"
#include "search/search_context.h"
#include "search/split_hooks.h"
#include "search/thread_pool.h"
#include "search/time_control.h"

namespace talvik {

// Quiet moves remembered per node for the history malus after a cut-off.
inline constexpr int MaxTriedQuiets = 64;

// The per-node stop test: the main thread polls the clock and the input,
// the helpers only read the stop flag. False means unwind.
inline bool continueSearch(SearchContext& ctx) {
  Engine& engine = *ctx.engine;
  if (ctx.thread->index != 0) return engine.stopRequest == StopNone;
  // Most nodes only count towards the next poll: that step is inline, the
  // poll itself (and a pending stop) goes through checkTime.
  if (engine.stopRequest == StopNone) {
    const std::uint32_t counter = engine.pollCounter + 1;
    if (counter < engine.pollInterval) {
      engine.pollCounter = counter;
      return true;
    }
  }
  return checkTime(engine);
}

// A search below a node is over when the search was stopped or when a split
// point enclosing it was refuted by another thread.
inline bool stoppedOrCutOff(const SearchContext& ctx) {
  return ctx.engine->stopRequest != StopNone || splitChainCutOff(*ctx.thread);
}

// Empties the principal variation of a node and of its children.
inline void clearPv(SearchContext& ctx, int ply) {
  ctx.pvLength[ply] = 0;
  if (ply + 1 < MaxPly + 1) ctx.pvLength[ply + 1] = 0;
}

// The line of `target` at `ply` becomes `move` followed by the line that
// `source` found one ply deeper (at a split point the two differ: a helper
// writes into the master's table).
inline void setLine(SearchContext& target, int ply, Move move, const SearchContext& source) {
  const int childLength = ply + 1 <= MaxPly ? source.pvLength[ply + 1] : 0;
  const int length = childLength + 1 < MaxPly ? childLength + 1 : MaxPly;
  Move* row = target.pvTable[ply];
  row[0] = move;
  for (int i = 1; i < length; ++i) row[i] = source.pvTable[ply + 1][i - 1];
  target.pvLength[ply] = length;
}

// The node's line becomes `move` followed by the child's line.
inline void updatePV(SearchContext& ctx, int ply, Move move) { setLine(ctx, ply, move, ctx); }

// The repetition list holds the key of every position before a move on the
// current path (null moves included).
inline void pushKey(SearchContext& ctx, std::uint64_t key) { ctx.repKeys[ctx.repCount++] = key; }
inline void popKey(SearchContext& ctx) { --ctx.repCount; }

inline void countNode(SearchContext& ctx) {
  ++ctx.nodes;
  ctx.thread->nodes.increment();
}

// A pawn stepping onto its seventh rank threatens to promote: the search
// extends it and never prunes or reduces it.
inline bool isPawnToSeventh(Move move) {
  const int rank = rankOf(moveTo(move));
  return movePiece(move) == Pawn && (rank == 1 || rank == 6);
}

// The static value, from the material balance alone when that lies far
// outside the window.
inline int staticValue(SearchContext& ctx, int alpha, int beta) {
  return evaluateLazy(*ctx.evalContext, ctx.board, ctx.thread->pawnHash, alpha, beta);
}

}  // namespace talvik
