#include "search/time_control.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>

#include "search/engine.h"

namespace talvik {
namespace {

struct BudgetCase {
  float clockMs;
  int incrementMs;
  int movesToGo;
  int searchesThisGame;
  std::int64_t expectedUs;
};

TEST(TimeBudget, ShareOfTheClock) {
  const BudgetCase cases[] = {
      {60000, 0, 0, 20, 1500000},           // a fortieth
      {60000, 1000, 0, 20, 3000000},        // the increment plus a thirtieth
      {60000, 0, 40, 20, 1500000},          // an equal share of the moves to go
      {60000, 0, 2, 20, 30000000},          // half the clock, two moves to go
      {60000, 0, 1, 20, 30000000},          // half the clock for the last move
      {60000, 0, -3, 20, 30000000},         // a negative count is the last move too
      {60000, 0, 0, 0, 3000000},            // first search: twice the share
      {60000, 0, 0, 5, 2250000},            // then tapering off
      {60000, 0, 0, 9, 1650000},
      {60000, 0, 0, 10, 1500000},
      // Only the last move before the control may use most of the clock;
      // others take at most a third (a half with two to go or an increment).
      {3000, 0, 2, 0, 1500000},             // "go ... movestogo 2" at the start: not all of it
      {3000, 0, 3, 0, 1000000},             // three to go
      {3000, 0, 6, 0, 1000000},             // twice a sixth
      {3000, 0, 10, 0, 600000},             // twice a tenth: no cap needed
      {10000, 0, 2, 20, 5000000},           // "level 40 0:10 0" after 76 plies, "time 1000"
      {1000, 2000, 0, 20, 500000},          // an increment larger than the clock
  };
  for (const BudgetCase& c : cases)
    EXPECT_NEAR(clockBudgetUs(c.clockMs, c.incrementMs, c.movesToGo, c.searchesThisGame), c.expectedUs, 2)
        << c.clockMs << " ms, +" << c.incrementMs << ", " << c.movesToGo << " to go, search " << c.searchesThisGame;
}

// The shares above can exceed what is left on the clock; the budget never
// does, and keeps a margin for the process and pipe latency.
TEST(TimeBudget, NeverMoreThanTheClockHolds) {
  const BudgetCase cases[] = {
      {50, 100, 0, 20, 25000},                // 50 ms left, 100 ms increment
      {10000, 0, 1, 0, 9950000},              // last move before the control, first search
      {10000, 0, 1, 20, 5000000},             // no cap needed
      {20, 0, 1, 0, 10000},                   // a tiny clock keeps half
      {0, 100, 0, 20, 0},                     // no time at all
      {-500, 0, 0, 20, 0},                    // a flag already fallen
      {1.0e7f, 0, 1, 0, 2147483647},          // hours on the clock: the budget saturates
      {5.0e20f, 0, 0, 0, 2147483647},         // a clock beyond any integer (a GUI's garbage)
      {std::numeric_limits<float>::infinity(), 100, 0, 0, 2147483647},
      {std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, 0},
  };
  for (const BudgetCase& c : cases) {
    const std::int64_t budget = clockBudgetUs(c.clockMs, c.incrementMs, c.movesToGo, c.searchesThisGame);
    EXPECT_EQ(budget, c.expectedUs) << c.clockMs << " ms, +" << c.incrementMs << ", " << c.movesToGo << " to go";
    EXPECT_LE(static_cast<double>(budget), std::max(0.0, static_cast<double>(c.clockMs) * 1000));
  }
}

// Pondering has no limit; a hit counts the budget of the clock at the hit from the hit.
TEST(TimeBudget, APonderHitCountsTheBudgetFromTheHit) {
  Engine engine;
  engine.limitMode = LimitClock;
  engine.pondering = 1;
  markSearchStart(engine);
  startTimeBudget(engine);
  EXPECT_EQ(engine.timeBudgetUs, 2147483647);
  usleep(2000);
  restartTimeBudget(engine, 200.0f, 1);
  EXPECT_GE(engine.budgetStartUs, 2000);
  EXPECT_EQ(engine.timeBudgetUs - engine.budgetStartUs, clockBudgetUs(200.0f, 0, 1, 0));
}

TEST(TimeBudget, FixedMoveTimeKeepsTheOverhead) {
  EXPECT_EQ(moveTimeBudgetUs(1000000), 950000);
  EXPECT_EQ(moveTimeBudgetUs(100000), 50000);
  EXPECT_EQ(moveTimeBudgetUs(40000), 20000);
  EXPECT_EQ(moveTimeBudgetUs(0), 0);
  EXPECT_EQ(moveTimeBudgetUs(-20), 0);
}

// The "Move Overhead" option replaces the 50 ms margin; less than twice the
// margin on the clock still keeps half of it.
TEST(TimeBudget, MoveOverheadSetsTheMargin) {
  struct Case {
    int overheadMs;
    float clockMs;
    std::int64_t clockBudgetUs;  // last move before the control, first search
    std::int32_t moveTimeUs;
    std::int64_t moveTimeBudgetUs;
  };
  const Case cases[] = {
      {0, 10000, 10000000, 1000000, 1000000},
      {50, 10000, 9950000, 1000000, 950000},
      {1000, 10000, 9000000, 1000000, 500000},
      {1000, 1500, 750000, 5000000, 4000000},
      {9999, 60000, 55000000, 20000000, 15000000},  // beyond the range: 5000 ms
      {-7, 10000, 10000000, 40000, 40000},          // below it: none
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clockBudgetUs(c.clockMs, 0, 1, 0, c.overheadMs), c.clockBudgetUs) << c.overheadMs;
    EXPECT_EQ(moveTimeBudgetUs(c.moveTimeUs, c.overheadMs), c.moveTimeBudgetUs) << c.overheadMs;
  }
}

TEST(StopRequest, AStopNeverOverwritesAnAbortOrAPonderStop) {
  Engine engine;
  for (const int pending : {StopNone, StopPonder, StopAbort}) {
    engine.stopRequest = pending;
    requestStop(engine);
    EXPECT_EQ(engine.stopRequest, pending == StopNone ? StopNormal : pending);
  }
}

// A search whose clock polls lie more than 10 ms apart (a busy machine, a
// slow board) halves its poll interval at each such poll, down to 256 nodes.
TEST(ClockPoll, ASlowSearchPollsMoreOften) {
  using Case = std::pair<std::uint32_t, std::uint32_t>;  // poll interval before, after
  for (const auto& [interval, expected] : {Case{4096, 2048}, Case{300, 256}, Case{256, 256}}) {
    Engine engine;
    engine.limitMode = LimitClock;
    engine.timeBudgetUs = 2147483647;
    engine.pollInterval = interval;
    markSearchStart(engine);
    usleep(20000);
    forcePoll(engine);
    EXPECT_TRUE(checkTime(engine));
    EXPECT_EQ(engine.pollInterval, expected) << interval;
  }
}

// Above the cap the throttle makes the next node poll; below it, it leaves
// the poll counter alone.
TEST(NpsThrottle, ForcesAPollWhenTooFast) {
  Engine engine;
  engine.initialise(1);
  engine.limitMode = LimitClock;
  engine.timeBudgetUs = 0;  // no sleeping: the budget is already at its end
  engine.pollInterval = 4096;
  markSearchStart(engine);
  for (const auto& [limit, polls] : {std::pair<std::uint64_t, bool>{1, true}, {UINT64_MAX, false}}) {
    engine.npsLimit = limit;
    engine.pollCounter = 7;
    engine.pool.mainThread->nodes = 1000000;
    for (int i = 0; i < 32; ++i) throttleNps(engine);
    EXPECT_EQ(engine.pollCounter == engine.pollInterval, polls) << limit;
  }
}

// Ahead of the cap the throttle waits until the nodes are due, but never
// past a time budget: there the search is left to stop on time.
TEST(NpsThrottle, WaitsUntilTheNodesAreDueButNotPastTheBudget) {
  struct Case {
    int limitMode;
    std::int32_t budgetUs;
    std::uint64_t nodes, cap;
    std::uint64_t waitsAtLeastUs;
  };
  const Case cases[] = {
      {LimitInfinite, 2147483647, 60, 1000, 60000},      // 60 nodes at 1000 per second: due after 60 ms
      {LimitDepth, 0, 50, 1000, 50000},                  // a depth search has no budget to keep
      {LimitMoveTime, 30000, 1000000, 1000, 30000},      // due after 1000 s: only to the end of the budget
      {LimitClock, 25000, 1000000000, 50, 25000},
  };
  for (const Case& c : cases) {
    Engine engine;
    engine.initialise(1);
    engine.limitMode = c.limitMode;
    engine.timeBudgetUs = c.budgetUs;
    engine.pollInterval = 4096;
    engine.pollCounter = 0;
    engine.npsLimit = c.cap;
    engine.pool.mainThread->nodes = c.nodes;
    markSearchStart(engine);
    for (int i = 0; i < 32; ++i) throttleNps(engine);
    EXPECT_GE(elapsedUs(engine), c.waitsAtLeastUs) << c.limitMode;
    EXPECT_EQ(engine.pollCounter, engine.pollInterval) << c.limitMode;  // the next node polls the clock
  }
}

}  // namespace
}  // namespace talvik
