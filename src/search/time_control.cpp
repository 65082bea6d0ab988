#include "search/time_control.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "base/logger.h"
#include "search/engine.h"

namespace talvik {

namespace {

constexpr std::uint64_t NpsSleepUs = 20000;
// The throttle looks at the rate every 32 nodes, more often under a low
// cap: what the search gets ahead between two looks must stay a small share
// (some 2 %) of what the cap allows in a 200 ms move.
constexpr std::uint64_t NpsCheckEvery = 32;
constexpr std::uint64_t NpsCapPerCheck = 256;
constexpr std::uint32_t DefaultPollInterval = 4096;
constexpr std::uint32_t MinPollInterval = 256;
constexpr std::int32_t NoTimeLimitUs = 2147483647;
// The poll interval assumes some hundred thousand nodes per second; a search
// that runs much slower (a busy machine, a small board) halves it each time
// two clock polls lie further apart than this, so that it never overruns its
// stop time by much more.
constexpr std::uint64_t MaxPollGapUs = 10000;
// With few moves left before the control, the opening factor may not make one
// move take more than this share of the clock: the other moves keep theirs.
constexpr double MaxShareOfClock = 1.0 / 3.0;
constexpr double MaxShareTwoToGo = 1.0 / 2.0;
constexpr double MaxShareWithIncrement = 1.0 / 2.0;

timespec monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

// A time budget only binds a search that runs against the clock.
bool timeLimited(const Engine& engine) {
  return !engine.pondering && (engine.limitMode == LimitMoveTime || engine.limitMode == LimitClock);
}

}  // namespace

void markSearchStart(Engine& engine) {
  const timespec now = monotonicNow();
  engine.startSec = static_cast<std::uint32_t>(now.tv_sec);
  engine.startUsec = static_cast<std::uint32_t>(now.tv_nsec / 1000);
}

std::uint64_t elapsedUs(const Engine& engine) {
  const timespec now = monotonicNow();
  // The seconds are kept in 32 bits; the difference is taken modulo 2^32.
  const std::uint32_t seconds = static_cast<std::uint32_t>(now.tv_sec) - engine.startSec;
  const std::int64_t us = std::int64_t{seconds} * 1000000 + now.tv_nsec / 1000 - std::int64_t{engine.startUsec};
  return us > 0 ? static_cast<std::uint64_t>(us) : 0;
}

void requestStop(Engine& engine) {
  std::lock_guard<std::mutex> lock(engine.pool.poolLock);
  engine.stopRequest.replace(StopNone, StopNormal);
}

void forcePoll(Engine& engine) { engine.pollCounter = engine.pollInterval.load(); }

bool checkTime(Engine& engine) {
  if (engine.stopRequest != StopNone) return false;
  const std::uint32_t counter = engine.pollCounter + 1;
  if (counter < engine.pollInterval) {
    engine.pollCounter = counter;
    return true;
  }
  engine.pollCounter = 0;

  // Neither a fixed depth nor an analysis (which waits for "stop") ends by time.
  if (!engine.pondering && engine.limitMode != LimitDepth && engine.limitMode != LimitInfinite) {
    bool limitReached = false;
    if (engine.limitMode == LimitNodes) {
      limitReached = engine.pool.totalNodes() >= engine.nodeLimit;
    } else {
      const std::uint64_t now = elapsedUs(engine);
      const std::uint32_t interval = engine.pollInterval;
      if (now > engine.lastPollUs + MaxPollGapUs && interval > MinPollInterval)
        engine.pollInterval = std::max(interval / 2, MinPollInterval);
      engine.lastPollUs = now;
      limitReached = now >= static_cast<std::uint64_t>(engine.timeBudgetUs.load());
    }
    if (limitReached) {
      requestStop(engine);
      return false;
    }
  }
  if (engine.inputThreadActive) return true;
  // The protocol's sink tests standard input without waiting (its reader may
  // already hold a whole line that the descriptor no longer shows).
  if (engine.reportSink->inputWaiting()) {
    engine.reportSink->pollInput();
    return engine.stopRequest == StopNone;
  }
  return true;
}

void throttleNps(Engine& engine) {
  if (engine.stopRequest != StopNone) return;
  const std::uint64_t cap = engine.npsLimit;
  if (cap == 0) return;
  // Threads count without a lock; a lost increment only delays the check.
  const std::uint64_t checkEvery = std::clamp<std::uint64_t>(cap / NpsCapPerCheck, 1, NpsCheckEvery);
  const std::uint64_t calls = engine.npsCounter + 1;
  engine.npsCounter = calls < checkEvery ? calls : 0;
  if (calls < checkEvery) return;
  // The nodes searched so far are due nodes / cap seconds after the start.
  // Ahead of that, sleep (20 ms at a time) until they are due, so that the
  // rate holds over the whole search. A time budget ends the wait: rather
  // than sleep past it, or burst at full speed, the search ends on time with
  // the nodes it has.
  bool ahead = false;
  for (;;) {
    const std::uint64_t elapsed = elapsedUs(engine);
    const std::uint64_t dueUs = engine.pool.totalNodes() * 1000000 / cap;
    if (dueUs <= elapsed) break;
    ahead = true;
    std::uint64_t wait = std::min(dueUs - elapsed, NpsSleepUs);
    if (timeLimited(engine)) {
      const std::uint64_t budget = static_cast<std::uint64_t>(std::max(0, engine.timeBudgetUs.load()));
      if (elapsed >= budget) break;
      wait = std::min(wait, budget - elapsed);
    }
    usleep(static_cast<useconds_t>(wait));
    if (engine.stopRequest != StopNone) break;
  }
  if (ahead) forcePoll(engine);
}

bool nodeBudgetExceeded(Engine& engine) {
  // The strength budget replaces a "go nodes" limit; a node limit given
  // together with another limit ("go wtime ... nodes N") caps both.
  std::uint64_t budget = engine.nodeCap != 0 ? engine.nodeCap : UINT64_MAX;
  if (engine.strengthNodes != 0) budget = std::min(budget, engine.strengthNodes);
  else if (engine.limitMode == LimitNodes) budget = std::min(budget, engine.nodeLimit);
  if (engine.pool.totalNodes() < budget) return false;
  requestStop(engine);
  return true;
}

std::int64_t moveOverheadUs(std::int64_t availableUs, std::int32_t overheadMs) {
  const std::int64_t overheadUs = std::int64_t{std::clamp(overheadMs, 0, MaxMoveOverheadMs)} * 1000;
  return std::clamp<std::int64_t>(availableUs / 2, 0, overheadUs);
}

std::int32_t clockBudgetUs(float clockMs, std::int32_t incrementMs, std::int32_t movesToGo,
                           std::int32_t searchesThisGame, std::int32_t overheadMs) {
  float budget;
  if (movesToGo == 0 && incrementMs < 1)
    budget = clockMs * 25.0f;  // a fortieth of the clock
  else if (movesToGo == 0)
    budget = static_cast<float>(incrementMs) * 1000.0f + clockMs * 33.333336f;  // increment + a thirtieth
  else if (movesToGo <= 1)
    budget = clockMs * 500.0f;  // half the clock for the last move before the control
  else
    budget = clockMs * 1000.0f / static_cast<float>(movesToGo);
  // The opening moves get more time (twice as much at first, tapering off).
  if (searchesThisGame <= 9) budget *= 2.0f - static_cast<float>(searchesThisGame) * 0.1f;

  // None of the shares above may spend the whole clock: keep the overhead.
  const double clockUs = static_cast<double>(clockMs) * 1000.0;
  // A GUI may send any number: the clock is bounded before it becomes an
  // integer (the overhead only depends on clocks of a few seconds); written
  // so that a clock that is not a number counts as none.
  const double boundedUs = clockUs > 0.0 ? std::min(clockUs, 1.0e15) : 0.0;
  double limit = clockUs - static_cast<double>(moveOverheadUs(static_cast<std::int64_t>(boundedUs), overheadMs));
  // Only the last move before the control may use most of the clock; with
  // two moves to go the opening factor would otherwise spend all of it.
  if (movesToGo >= 2)
    limit = std::min(limit, clockUs * (movesToGo == 2 ? MaxShareTwoToGo : MaxShareOfClock));
  else if (movesToGo == 0)
    limit = std::min(limit, clockUs * (incrementMs >= 1 ? MaxShareWithIncrement : MaxShareOfClock));
  const double capped = std::min(static_cast<double>(budget), limit);
  if (!(capped > 0.0)) return 0;  // also a clock that is not a number
  return static_cast<std::int32_t>(std::min(capped, 2147483647.0));
}

std::int32_t moveTimeBudgetUs(std::int32_t moveTimeUs, std::int32_t overheadMs) {
  const std::int64_t given = std::max<std::int64_t>(moveTimeUs, 0);
  return static_cast<std::int32_t>(given - moveOverheadUs(given, overheadMs));
}

namespace {

// The budget of a timed search from `clockMs` and `movesToGo`, or none.
std::int32_t budgetOf(const Engine& engine, float clockMs, std::int32_t movesToGo) {
  const int side = engine.rootSide;
  switch (engine.limitMode) {
    case LimitMoveTime:
      return moveTimeBudgetUs(engine.moveTimeUs, engine.settings.moveOverheadMs);
    case LimitClock:
      return clockBudgetUs(clockMs, engine.increment[side], movesToGo, engine.budgetSearchIndex,
                           engine.settings.moveOverheadMs);
    case LimitInfinite:
      return NoTimeLimitUs;
    default:
      return engine.moveTimeUs;  // not a time limit (depth and node modes)
  }
}

// A short budget needs a finer poll: at a few hundred thousand nodes per
// second 4096 nodes can take longer than a bullet move may.
std::uint32_t pollIntervalFor(const Engine& engine, std::int32_t budgetUs) {
  if (engine.limitMode != LimitMoveTime && engine.limitMode != LimitClock) return DefaultPollInterval;
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(std::max(budgetUs, 0) / 16, MinPollInterval, DefaultPollInterval));
}

void logBudget(const Engine& engine, const char* when, std::int32_t budgetUs, float clockMs, std::int32_t movesToGo) {
  if (engine.limitMode == LimitClock)
    logMessage(LogDebug, "time budget %s: %d ms (clock %.0f ms, moves to go %d)", when, budgetUs / 1000,
               static_cast<double>(clockMs), movesToGo);
  else if (engine.limitMode == LimitMoveTime)
    logMessage(LogDebug, "time budget %s: %d ms (fixed time per move)", when, budgetUs / 1000);
}

}  // namespace

void startTimeBudget(Engine& engine) {
  engine.budgetSearchIndex = engine.searchesThisGame;
  const float clockMs = engine.clockMs[engine.rootSide];
  const std::int32_t budget = budgetOf(engine, clockMs, engine.movesToGo);
  engine.pollCounter = 0;
  engine.pollInterval = pollIntervalFor(engine, budget);
  engine.lastPollUs = 0;
  engine.budgetStartUs = 0;
  // While pondering the time rules do not apply; the budget starts at the hit.
  engine.timeBudgetUs = engine.pondering ? NoTimeLimitUs : budget;
  if (!engine.pondering) logBudget(engine, "at the start", budget, clockMs, engine.movesToGo);
}

void restartTimeBudget(Engine& engine, float clockMs, std::int32_t movesToGo) {
  if (engine.limitMode != LimitMoveTime && engine.limitMode != LimitClock) return;
  const std::int64_t now = static_cast<std::int64_t>(std::min<std::uint64_t>(elapsedUs(engine), NoTimeLimitUs));
  const std::int32_t budget = budgetOf(engine, clockMs, movesToGo);
  // The start first: the search reads the two without a lock, and a stop
  // time seen before its start only ends an iteration early.
  engine.budgetStartUs = static_cast<std::int32_t>(now);
  engine.timeBudgetUs = static_cast<std::int32_t>(std::min<std::int64_t>(now + budget, NoTimeLimitUs));
  engine.pollInterval = std::min(engine.pollInterval.load(), pollIntervalFor(engine, budget));
  logBudget(engine, "from the ponder hit", budget, clockMs, movesToGo);
}

std::int64_t budgetElapsedUs(const Engine& engine) {
  return static_cast<std::int64_t>(elapsedUs(engine)) - engine.budgetStartUs.load();
}

}  // namespace talvik
