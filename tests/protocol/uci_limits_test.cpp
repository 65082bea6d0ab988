#include "protocol/uci_limits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "search/engine.h"

namespace talvik {
namespace {

// The limit fields a "go" command may change.
struct Limits {
  int mode;
  float whiteClock, blackClock;
  int whiteIncrement, blackIncrement;
  int moveTimeUs, movesToGo;
  std::uint64_t nodes;
  int depth;
  bool ponder;
  bool operator==(const Limits&) const = default;
};

Limits limitsOf(const Engine& e) {
  return {e.limitMode, e.clockMs[White], e.clockMs[Black], e.increment[White], e.increment[Black],
          e.moveTimeUs,  e.movesToGo,     e.nodeLimit,      e.depthLimit,       e.goPonder != 0};
}

// Every case starts from the same earlier limits, so that what a command
// leaves alone is visible.
TEST(UciLimits, GoWordsChangeOnlyWhatTheyName) {
  const Limits before{LimitNodes, 7000, 8000, 30, 40, 1000000, 12, 555, 9, false};
  struct Case {
    const char* line;
    Limits after;
  };
  const Case cases[] = {
      {"go", {LimitNodes, 7000, 8000, 30, 40, 1000000, 0, 555, 9, false}},
      {"go wtime 1000", {LimitClock, 1000, 8000, 30, 40, 1000000, 0, 555, 9, false}},
      {"go btime 2500 binc 100 winc 200 movestogo 5", {LimitClock, 7000, 2500, 200, 100, 1000000, 5, 555, 9, false}},
      {"go depth 0", {LimitDepth, 7000, 8000, 30, 40, 1000000, 0, 555, 1, false}},
      {"go depth 500", {LimitDepth, 7000, 8000, 30, 40, 1000000, 0, 555, 127, false}},
      {"go movetime -5", {LimitMoveTime, 7000, 8000, 30, 40, 0, 0, 555, 9, false}},
      {"go movetime 99999999999999", {LimitMoveTime, 7000, 8000, 30, 40, 2147483647, 0, 555, 9, false}},
      {"go nodes -1", {LimitNodes, 7000, 8000, 30, 40, 1000000, 0, 0, 9, false}},
      {"go ponder movetime 250", {LimitMoveTime, 7000, 8000, 30, 40, 250000, 0, 555, 9, true}},
      // A searchmoves list is skipped, moves and all.
      {"go searchmoves e2e4 d2d4 depth 3", {LimitDepth, 7000, 8000, 30, 40, 1000000, 0, 555, 3, false}},
      // A word without its number ends the command.
      {"go depth 4 wtime", {LimitDepth, 7000, 8000, 30, 40, 1000000, 0, 555, 4, false}},
      {"go depth x12", {LimitDepth, 7000, 8000, 30, 40, 1000000, 0, 555, 1, false}},
  };
  for (const Case& c : cases) {
    Engine engine;
    engine.limitMode = before.mode;
    engine.clockMs[White] = before.whiteClock;
    engine.clockMs[Black] = before.blackClock;
    engine.increment[White] = before.whiteIncrement;
    engine.increment[Black] = before.blackIncrement;
    engine.moveTimeUs = before.moveTimeUs;
    engine.movesToGo = before.movesToGo;
    engine.nodeLimit = before.nodes;
    engine.depthLimit = before.depth;
    engine.goPonder = 1;
    LineTokenizer tokens(c.line);
    tokens.nextToken();
    const int mode = applyGoParameters(engine, tokens);
    EXPECT_EQ(limitsOf(engine), c.after) << c.line;
    EXPECT_EQ(mode, c.after.ponder ? 1 : 0) << c.line;
  }
}

TEST(UciLimits, InfiniteIsOwedAnAnswer) {
  Engine engine;
  LineTokenizer tokens("go infinite");
  tokens.nextToken();
  applyGoParameters(engine, tokens);
  EXPECT_EQ(engine.limitMode, LimitInfinite);
  EXPECT_EQ(engine.infinitePending, 1);
}

}  // namespace
}  // namespace talvik
