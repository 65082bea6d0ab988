// Stopping a running search: the clock and node-limit polls, the
// nodes-per-second throttle, the per-move node budget, input polling, and the
// time budget of a move.
//
// Everything is cooperative: only the main search thread polls, once every
// `pollInterval` nodes; a stop is the engine's stopRequest becoming non-zero,
// which every search thread reads at every node.
#pragma once

#include <cstdint>

namespace talvik {

class Engine;

// The margin of the "Move Overhead" option, in milliseconds.
inline constexpr int DefaultMoveOverheadMs = 50;
inline constexpr int MaxMoveOverheadMs = 5000;

// Records the search start (Engine::startSec/startUsec). The time is read
// from the monotonic clock, so a wall-clock adjustment during a search can
// neither stretch nor cut the time it takes.
void markSearchStart(Engine& engine);
// Microseconds since markSearchStart.
std::uint64_t elapsedUs(const Engine& engine);

// Sets stopRequest to 1 ("stop") unless a stop is already pending: an abort
// (3) or a ponder stop (2) written by the protocol side is never overwritten.
void requestStop(Engine& engine);
// Makes the next checkTime poll at once (protocol commands that need a quick
// reaction: stop, ponderhit, quit, new game).
void forcePoll(Engine& engine);

// Called by the main thread at every node. False means stop. Every
// `pollInterval` calls it tests the time budget (node limit in node mode),
// unless pondering or searching to a fixed depth, and in polling mode lets the
// protocol handle a waiting input line.
bool checkTime(Engine& engine);
// Called at every node (interior and quiescence) while a nodes-per-second
// cap is set: every 32nd call (more often under a low cap), when the search
// has got ahead of the cap, sleeps in steps of at most 20 ms until its nodes
// are due, but never past the end of a time budget; then forces a poll,
// which ends the search when the budget is spent.
void throttleNps(Engine& engine);
// Whether the summed node count has reached the node budget in force (the
// strength budget, else the "go nodes" limit); sets the stop when it has.
bool nodeBudgetExceeded(Engine& engine);

// Safety margin kept off the clock for process and pipe latency and for
// being descheduled on a busy machine: `overheadMs` (the "Move Overhead"
// option), or half of the time when less than twice that is available.
std::int64_t moveOverheadUs(std::int64_t availableUs, std::int32_t overheadMs = DefaultMoveOverheadMs);
// Time for one move under a game clock: a share of the remaining time `clockMs`
// (a fortieth; the increment plus a thirtieth; the clock divided by the moves
// to the control; half of it for the last move before the control), up to
// twice as much in the first ten searches of a game. Unless this is the last
// move before the control, that never comes to more than a third of the
// clock (a half with two moves to go or with an increment): the moves still
// to come keep their share. Never more than the clock holds less the overhead.
std::int32_t clockBudgetUs(float clockMs, std::int32_t incrementMs, std::int32_t movesToGo,
                           std::int32_t searchesThisGame, std::int32_t overheadMs = DefaultMoveOverheadMs);
// Time for a fixed-time move ("movetime"), kept below the given time by the overhead.
std::int32_t moveTimeBudgetUs(std::int32_t moveTimeUs, std::int32_t overheadMs = DefaultMoveOverheadMs);

// The time budget of the search about to start (called by the search driver
// before the protocol hears of the start), from the limit mode, the clock of
// the side to move (rootSide) and the moves to go: Engine::timeBudgetUs, the
// elapsed time at which the search stops, and budgetStartUs, where its
// budget began. A ponder search has no limit: its budget starts at the hit.
void startTimeBudget(Engine& engine);
// A ponder search becomes a normal search (a ponder hit): the budget is
// computed again from the clock and moves to go as they stand at the hit,
// and counts from now; the time spent pondering is the opponent's.
void restartTimeBudget(Engine& engine, float clockMs, std::int32_t movesToGo);
// Microseconds since the budget began (the search's start, or the ponder hit).
std::int64_t budgetElapsedUs(const Engine& engine);

}  // namespace talvik
