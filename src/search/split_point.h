// A split point: a node whose remaining moves several threads search at
// once. The thread that made it (the master) has searched the node's first
// move alone (young brothers wait); the master and the helpers it booked
// then take the other moves one at a time from the node's shared move
// source until none is left or one of them refutes the node.
#pragma once

#include <cstdint>
#include <mutex>

#include "board/move.h"
#include "search/relaxed.h"
#include "search/split_hooks.h"

namespace talvik {

struct MovePicker;
struct SearchContext;
class SearchThread;

// Aligned to cache lines: the fields set when the split point is made are
// read at every node by every thread below it; the ones under the lock
// change with every move taken; neither should slow the other down.
struct alignas(64) SplitPoint {
  SplitPoint* parent = nullptr;  // the master's previous active split point
  // A helper found a score >= beta: everyone leaves after its current move.
  Relaxed<std::uint8_t> cutoff{0};
  SearchThread* master = nullptr;
  // The master's context at the node (its board, repetition list, moves
  // made and PV table), untouched by the master while the split lasts.
  SearchContext* context = nullptr;
  MovePicker* picker = nullptr;          // an interior node's moves
  const MoveEntry* rootMoves = nullptr;  // or the ordered root moves
  int rootMoveCount = 0;
  NodeMoves node;  // window top, depth, ply and kind of the node
  bool rootSplit = false;

  alignas(64) std::mutex lock;
  // Under `lock`:
  int moveCount = 0;  // moves taken so far, pruned ones included (the root list position at the root)
  std::uint64_t nodes = 0;  // summed from the threads that left
  int selDepth = 0;
  Move bestMove = NoMove;
  int bestScore = 0;
  Relaxed<std::uint64_t> slavesMask{0};  // threads still working here, the master included
  int slaveCount = 0;

  // Copied from the master when the split is made, so that nobody reads the
  // master's own tables while it searches on: the killers (rows ply - 2 and
  // deeper are used) and the history that the picker orders quiet moves by.
  Move killers[128][2];
  std::uint16_t history[16][64];
};

// Makes a split point of the node described by `offer` and searches its
// remaining moves with every thread that may help. False, with nothing
// changed, when no thread could be booked after all. True when the moves
// were searched: `bestScore` and `bestMove` then hold the merged result
// (meaningless after a stop or a cut-off further up).
bool split(SearchContext& ctx, const SplitOffer& offer, int& bestScore, Move& bestMove);

// One thread's share of the work at `sp`: builds its own context from the
// split point, searches moves until none is left, then leaves (waking the
// master when it is the last).
void workAtSplitPoint(SearchThread& thread, SplitPoint& sp);

}  // namespace talvik
