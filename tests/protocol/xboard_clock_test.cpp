#include "protocol/xboard_clock.h"

#include <gtest/gtest.h>

#include "search/engine.h"

namespace talvik {
namespace {

TEST(XboardClock, Level) {
  struct Case {
    const char* fields;
    bool ok;
    float clockMs;  // of both sides
    int perControl, incrementMs;
  };
  const Case cases[] = {
      {"40 5 0", true, 300000, 40, 0},
      {"0 2:30 5", true, 150000, 0, 5000},
      {"0 0:10 0.25", true, 10000, 0, 250},
      {"1 1 -3", true, 60000, 1, 0},
      {"40 5", false, 0, 0, 0},
      {"40", false, 0, 0, 0},
      {"x 5 0", false, 0, 0, 0},
      {"-40 5 0", false, 0, 0, 0},
      {"40 :30 0", false, 0, 0, 0},
      {"40 5 zero", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Engine engine;
    engine.limitMode = LimitDepth;
    engine.clockMs[White] = 1.0f;
    engine.clockMs[Black] = 1.0f;
    engine.movesPerControl = 7;
    const bool ok = setXboardLevel(engine, c.fields);
    EXPECT_EQ(ok, c.ok) << c.fields;
    if (!ok) {
      // Nothing changes.
      EXPECT_EQ(engine.limitMode, LimitDepth) << c.fields;
      EXPECT_EQ(engine.clockMs[White], 1.0f) << c.fields;
      EXPECT_EQ(engine.movesPerControl, 7) << c.fields;
      continue;
    }
    EXPECT_EQ(engine.limitMode, LimitClock) << c.fields;
    EXPECT_EQ(engine.clockMs[White], c.clockMs) << c.fields;
    EXPECT_EQ(engine.clockMs[Black], c.clockMs) << c.fields;  // the engine may play either
    EXPECT_EQ(engine.movesPerControl, c.perControl) << c.fields;
    EXPECT_EQ(engine.movesUntilControl, c.perControl) << c.fields;
    EXPECT_EQ(engine.movesToGo, c.perControl) << c.fields;
    EXPECT_EQ(engine.increment[White], c.incrementMs) << c.fields;
    EXPECT_EQ(engine.increment[Black], c.incrementMs) << c.fields;
  }
}

TEST(XboardClock, MoveTimeAndDepth) {
  struct Case {
    bool depthCommand;
    long long value;
    int mode, moveTimeUs, depth;
  };
  const Case cases[] = {
      {false, 10, LimitMoveTime, 10000000, 8},   {false, -3, LimitMoveTime, 0, 8},
      {false, 5000, LimitMoveTime, 2147483647, 8}, {true, 0, LimitDepth, 5000000, 1},
      {true, 200, LimitDepth, 5000000, 127},      {true, 6, LimitDepth, 5000000, 6},
  };
  for (const Case& c : cases) {
    Engine engine;
    if (c.depthCommand) setXboardDepth(engine, c.value);
    else setXboardMoveTime(engine, c.value);
    EXPECT_EQ(engine.limitMode, c.mode) << c.value;
    EXPECT_EQ(engine.moveTimeUs, c.moveTimeUs) << c.value;
    EXPECT_EQ(engine.depthLimit, c.depth) << c.value;
  }
}

}  // namespace
}  // namespace talvik
