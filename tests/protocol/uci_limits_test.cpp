#include "protocol/uci_limits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/move_text.h"
#include "search/engine.h"
#include "search/game.h"

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
      // A searchmoves list is read apart from the limits.
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

// Starting from a clock search capped at depth 7: every limit named applies,
// a "go" naming none keeps the earlier ones.
TEST(UciLimits, NamedLimitsApplyTogether) {
  struct Case {
    const char* line;
    int mode;
    int depth;  // depthLimit
    int depthCap;
    std::uint64_t nodeCap;
    int mateMoves;
  };
  const Case cases[] = {
      {"go wtime 2000 btime 2000 depth 40", LimitClock, 40, 40, 0, 0},
      {"go movetime 1000 depth 63", LimitMoveTime, 63, 63, 0, 0},
      {"go wtime 2000 nodes 5000", LimitClock, 9, 0, 5000, 0},
      {"go depth 6 nodes 5000", LimitNodes, 6, 6, 0, 0},
      {"go nodes 5000 depth 6", LimitNodes, 6, 6, 0, 0},
      {"go infinite depth 6", LimitInfinite, 6, 6, 0, 0},
      {"go mate 2", LimitDepth, MaxPly, 0, 0, 2},
      {"go mate 3 movetime 500", LimitMoveTime, 9, 0, 0, 3},
      {"go mate 100000", LimitDepth, MaxPly, 0, 0, MaxPly / 2},
      {"go mate -4 depth 5", LimitDepth, 5, 0, 0, 1},
      {"go mate", LimitClock, 9, 7, 0, 0},
      {"go winc 10 binc 10", LimitClock, 9, 7, 0, 0},
  };
  for (const Case& c : cases) {
    Engine engine;
    engine.limitMode = LimitClock;
    engine.depthLimit = 9;
    engine.depthCap = 7;
    LineTokenizer tokens(c.line);
    tokens.nextToken();
    applyGoParameters(engine, tokens);
    EXPECT_EQ(engine.limitMode, c.mode) << c.line;
    EXPECT_EQ(engine.depthLimit, c.depth) << c.line;
    EXPECT_EQ(engine.depthCap, c.depthCap) << c.line;
    EXPECT_EQ(engine.nodeCap, c.nodeCap) << c.line;
    EXPECT_EQ(engine.mateMoves, c.mateMoves) << c.line;
  }
}

TEST(UciLimits, SearchMovesKeepsTheLegalMovesListed) {
  struct Case {
    const char* line;
    std::vector<std::string> moves;
    int depth;
  };
  const Case cases[] = {
      {"go searchmoves e2e4 d2d4 depth 3", {"e2e4", "d2d4"}, 3},
      {"go depth 3 searchmoves g1f3", {"g1f3"}, 3},
      // Illegal and malformed moves are dropped; the first other word ends the list.
      {"go searchmoves e2e5 a1a1 e2e4 e2e4 zz depth 2", {"e2e4"}, 2},
      {"go searchmoves e7e5 depth 4", {}, 4},
      {"go searchmoves", {}, 8},
  };
  for (const Case& c : cases) {
    Engine engine;
    setPositionFromFen(engine, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    engine.searchMoveCount = 1;  // a list from an earlier "go" does not stay
    LineTokenizer tokens(c.line);
    tokens.nextToken();
    applyGoParameters(engine, tokens);
    std::vector<std::string> moves;
    for (int i = 0; i < engine.searchMoveCount; ++i) moves.push_back(moveToCoordinate(engine.searchMoves[i], false));
    EXPECT_EQ(moves, c.moves) << c.line;
    EXPECT_EQ(engine.depthLimit, c.depth) << c.line;
  }
}

}  // namespace
}  // namespace talvik
