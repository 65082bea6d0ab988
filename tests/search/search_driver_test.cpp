#include "search/search_driver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "board/move_text.h"
#include "search/game.h"
#include "search/root_search.h"
#include "search/strength.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

// Standard input read from a pipe holding `text` while the object lives.
class InputFromPipe {
 public:
  explicit InputFromPipe(const char* text) {
    EXPECT_EQ(pipe(fds_), 0);
    saved_ = dup(STDIN_FILENO);
    EXPECT_EQ(dup2(fds_[0], STDIN_FILENO), STDIN_FILENO);
    const auto length = static_cast<ssize_t>(std::strlen(text));
    EXPECT_EQ(write(fds_[1], text, static_cast<std::size_t>(length)), length);
  }
  ~InputFromPipe() {
    dup2(saved_, STDIN_FILENO);
    close(saved_);
    close(fds_[0]);
    close(fds_[1]);
  }

 private:
  int fds_[2] = {-1, -1};
  int saved_ = -1;
};

using test::SearchFixture;

const char* const Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8";
const char* const OnlyMove = "k7/8/8/8/8/8/6r1/7K w - - 0 1";     // Kxg2 is the one legal move
const char* const TwoMoves = "7k/8/8/8/8/8/5r2/6K1 w - - 0 1";    // Kxf2 or Kh1
const char* const MateInOne = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";

void setClock(Engine& engine, float clockMs, int incrementMs = 0, int movesToGo = 0) {
  engine.limitMode = LimitClock;
  const int side = static_cast<int>(engine.board.sideToMove);
  engine.clockMs[side] = clockMs;
  engine.increment[side] = incrementMs;
  engine.movesToGo = movesToGo;
}

int deepestReported(const test::RecordingSink& sink) {
  int depth = 0;
  for (const auto& pv : sink.pvs) depth = std::max(depth, pv.depth);
  return depth;
}

TEST(SearchDriver, OneLegalMoveEndsAClockSearchAfterDepthOne) {
  SearchFixture fixture(OnlyMove);
  setClock(*fixture.engine, 600000);
  searchRoot(*fixture.engine, false);
  const auto& sink = *fixture.sink;
  ASSERT_EQ(sink.pvs.size(), 1u);
  EXPECT_EQ(sink.pvs[0].depth, 1);
  EXPECT_EQ(moveToCoordinate(sink.bestMove.best, false), "h1g2");
  EXPECT_EQ(sink.bestMove.depth, 1);
  EXPECT_EQ(fixture.engine->gameMoves.size(), 1u);  // and the move is played
}

TEST(SearchDriver, DepthOneIsOneIterationInTheFullWindow) {
  SearchFixture fixture(Middlegame);
  fixture.engine->testSuiteActive = 1;  // a failed window would be reported
  fixture.searchToDepth(1);
  const auto& sink = *fixture.sink;
  ASSERT_EQ(sink.pvs.size(), 1u);
  EXPECT_EQ(sink.pvs[0].depth, 1);
  EXPECT_EQ(sink.pvs[0].bound, 0);
  EXPECT_EQ(sink.pvs[0].line, 0);
  EXPECT_EQ(sink.bestMove.kind, StopNormal);
  EXPECT_EQ(sink.bestMove.depth, 1);
}

TEST(SearchDriver, MultiPvNeverHasMoreLinesThanMoves) {
  SearchFixture fixture(TwoMoves);
  fixture.engine->multiPV = 3;
  fixture.searchToDepth(4);
  std::set<int> lines;
  std::set<Move> firstMoves;
  for (const auto& pv : fixture.sink->pvs) {
    lines.insert(pv.line);
    if (pv.depth == 4) firstMoves.insert(pv.moves.front());
  }
  EXPECT_EQ(lines, (std::set<int>{1, 2}));
  EXPECT_EQ(firstMoves.size(), 2u);
  EXPECT_EQ(fixture.engine->pvLineCount, 2);
}

TEST(SearchDriver, MultiPvLinesAreDistinctAndBestFirst) {
  SearchFixture fixture(Middlegame);
  fixture.engine->multiPV = 4;
  fixture.searchToDepth(5);
  std::vector<test::ReportedPv> last(fixture.sink->pvs.end() - 4, fixture.sink->pvs.end());
  std::set<Move> firstMoves;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(last[i].line, i + 1);
    EXPECT_EQ(last[i].depth, 5);
    if (i > 0) {
      EXPECT_LE(last[i].score, last[i - 1].score);
    }
    firstMoves.insert(last[i].moves.front());
  }
  EXPECT_EQ(firstMoves.size(), 4u);
  EXPECT_EQ(fixture.sink->bestMove.best, last[0].moves.front());
}

TEST(SearchDriver, AMateFoundAtDepthSixEndsAClockSearch) {
  SearchFixture fixture(MateInOne);
  setClock(*fixture.engine, 600000);
  searchRoot(*fixture.engine, false);
  EXPECT_EQ(deepestReported(*fixture.sink), 6);  // not stopped at 5, not continued
  EXPECT_EQ(fixture.sink->bestMove.depth, 6);
  EXPECT_EQ(fixture.sink->pvs.back().score, test::mateIn(1));
}

TEST(SearchDriver, DepthModeIgnoresTheClock) {
  SearchFixture fixture(Middlegame);
  fixture.engine->moveTimeUs = 1;
  fixture.engine->timeBudgetUs = 1;
  fixture.engine->clockMs[White] = 1;
  const auto& result = fixture.searchToDepth(6);
  EXPECT_EQ(deepestReported(*fixture.sink), 6);
  EXPECT_EQ(result.depth, 6);
  EXPECT_EQ(result.kind, StopNormal);
}

TEST(SearchDriver, NodeModeStopsAtTheBudget) {
  for (const std::uint64_t limit : {1000ull, 20000ull}) {
    SearchFixture fixture(Middlegame);
    Engine& engine = *fixture.engine;
    engine.limitMode = LimitNodes;
    engine.nodeLimit = limit;
    searchRoot(engine, false);
    EXPECT_EQ(engine.pollInterval, std::min<std::uint64_t>(limit, 4096));
    EXPECT_EQ(fixture.sink->bestMove.nodes, limit);
    EXPECT_NE(fixture.sink->bestMove.best, NoMove);
  }
}

TEST(SearchDriver, StrengthBudgetOfThousandEloIs1358Nodes) {
  SearchFixture fixture(Middlegame);
  Engine& engine = *fixture.engine;
  engine.uciLimitMode = 1;
  engine.strengthNodes = 1358;  // what setStrength gives for 1000 Elo
  setClock(engine, 600000);
  searchRoot(engine, false);
  EXPECT_EQ(engine.pool.totalNodes(), 1358u);
  EXPECT_NE(fixture.sink->bestMove.best, NoMove);
}

TEST(SearchDriver, InfiniteAnalysisDoesNotPlayItsMove) {
  SearchFixture fixture(Middlegame);
  Engine& engine = *fixture.engine;
  engine.limitMode = LimitInfinite;
  fixture.sink->onPv = [](Engine& e, const test::ReportedPv& pv) {
    if (pv.depth >= 3) e.stopRequest = StopNormal;  // what "stop" does
  };
  searchRoot(engine, false);
  EXPECT_EQ(fixture.sink->bestMove.kind, StopNormal);
  EXPECT_NE(fixture.sink->bestMove.best, NoMove);
  EXPECT_EQ(fixture.sink->bestMove.depth, 3);
  EXPECT_TRUE(engine.gameMoves.empty());
}

// An abort (a takeback, a new game) plays nothing and reports no line of the
// interrupted iteration, not even a root move searched to the end before it:
// the GUI would show that line against its new position.
TEST(SearchDriver, AbortPlaysNothingAndReportsNoMoreLines) {
  for (const int pollsAfterReport : {1, 4, 16, 64}) {
    const InputFromPipe input("x");  // input always waiting: every poll reaches the sink

    SearchFixture fixture(Middlegame);
    Engine& engine = *fixture.engine;
    engine.limitMode = LimitInfinite;
    engine.inputThreadActive = 0;
    std::size_t linesAtAbort = 0;
    int polls = 0;
    fixture.sink->onPollInput = [&](Engine& e) {
      if (fixture.sink->pvs.empty() || fixture.sink->pvs.back().depth < 6 || e.stopRequest != StopNone) return;
      if (++polls < pollsAfterReport) return;
      e.stopRequest = StopAbort;
      linesAtAbort = fixture.sink->pvs.size();
    };
    searchRoot(engine, false);
    EXPECT_EQ(fixture.sink->bestMove.kind, StopAbort);
    EXPECT_TRUE(engine.gameMoves.empty());
    EXPECT_EQ(fixture.sink->pvs.size(), linesAtAbort) << pollsAfterReport;
  }
}

// A ponder search runs on the predicted reply (already played on the game)
// and takes it back at the end.
TEST(SearchDriver, PonderSearchEndings) {
  const struct {
    bool stopped;
    int kind;
  } cases[] = {{true, StopPonder}, {false, StopPonderDone}};
  for (const auto& c : cases) {
    SearchFixture fixture(Middlegame);
    Engine& engine = *fixture.engine;
    engine.ponderEnabled = 1;
    ASSERT_TRUE(playMoveText(engine, "a2a3"));
    engine.limitMode = c.stopped ? LimitInfinite : LimitDepth;
    engine.depthLimit = 4;
    fixture.sink->onPv = [](Engine& e, const test::ReportedPv& pv) {
      if (pv.depth >= 2 && e.limitMode == LimitInfinite) e.stopRequest = e.pondering ? StopPonder : StopNormal;
    };
    searchRoot(engine, true);
    EXPECT_EQ(fixture.sink->bestMove.kind, c.kind);
    EXPECT_NE(fixture.sink->bestMove.best, NoMove);
    EXPECT_NE(fixture.sink->bestMove.ponder, NoMove);
    EXPECT_TRUE(engine.gameMoves.empty());
    EXPECT_EQ(engine.pondering, 0);
  }
}

TEST(SearchDriver, NoLegalMoveReportsNone) {
  SearchFixture fixture("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  const auto& result = fixture.searchToDepth(4);
  EXPECT_EQ(result.kind, StopNormal);
  EXPECT_EQ(result.best, NoMove);
  EXPECT_EQ(fixture.sink->bestMoveReports, 1);
}

// Same position, depth and table size: the same move and the same tree.
TEST(SearchDriver, SingleThreadSearchIsDeterministic) {
  const int depth = test::sanitizedBuild() ? 6 : 9;
  test::ReportedBestMove first;
  for (int run = 0; run < 3; ++run) {
    SearchFixture fixture(Middlegame, 4);
    const auto result = fixture.searchToDepth(depth);
    if (run == 0) {
      first = result;
      continue;
    }
    EXPECT_EQ(result.best, first.best);
    EXPECT_EQ(result.nodes, first.nodes);
  }
}

// A long run of reversible moves: the driver copies only the recent
// repetition keys, so the search path still fits its list.
TEST(SearchDriver, LongReversibleGame) {
  SearchFixture fixture("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(playMoveText(*fixture.engine, "g1f3 b8c6 f3g1 c6b8"));
  ASSERT_GT(fixture.engine->repCount, 128);
  const auto& result = fixture.searchToDepth(8);
  EXPECT_NE(result.best, NoMove);
}

TEST(AspirationWindow, WidensBy30_60_120_240ThenOpens) {
  AspirationWindow window = initialWindow(6, 100);
  EXPECT_EQ(window.low, 70);
  EXPECT_EQ(window.high, 130);
  const int lows[] = {40, -20, -140, -380, -32001};
  for (const int low : lows) {
    widenWindow(window, window.low);
    EXPECT_EQ(window.low, low);
    EXPECT_EQ(window.high, 130);
  }
  window = initialWindow(8, 31900);
  widenWindow(window, window.high);
  EXPECT_EQ(window.high, 32001);  // above the mate score: opened
  window = initialWindow(8, 0);
  widenWindow(window, 31990);  // a mate score opens both sides
  EXPECT_EQ(window.low, -32001);
  EXPECT_EQ(window.high, 32001);
  window = initialWindow(5, 100);  // early iterations: full window
  EXPECT_EQ(window.low, -32001);
  EXPECT_EQ(window.high, 32001);
}

// A "stop" line waiting on standard input is read by the search itself when
// no input thread is running.
TEST(SearchDriver, PollingModeHandlesInputDuringTheSearch) {
  const InputFromPipe input("stop\n");

  SearchFixture fixture(Middlegame);
  fixture.engine->inputThreadActive = 0;
  fixture.sink->onPollInput = [](Engine& e) {
    char line[16];
    if (read(STDIN_FILENO, line, sizeof line) > 0) e.stopRequest = StopNormal;
  };
  const auto& result = fixture.searchToDepth(64);
  EXPECT_EQ(fixture.sink->inputPolls, 1);
  EXPECT_LT(result.depth, 64);
  EXPECT_NE(result.best, NoMove);
}

// Under a game clock, from ten minutes down to 20 ms, with and without
// increments and moves to go, at full strength and under the lowest
// nodes-per-second cap (which sleeps up to the end of the budget), every
// search runs under a budget the clock holds, and answers with a move.
// (That the search stops at its budget, and the throttle never sleeps past
// it, is tested on the poll and the throttle themselves; real games under a
// GUI show that no move overruns the clock.)
TEST(SearchDriver, ClockSearchesRunUnderABudgetTheClockHolds) {
  const struct {
    const char* fen;
    float clockMs;
  } clocks[] = {{OnlyMove, 600000}, {MateInOne, 600000}, {Middlegame, 1000}, {Middlegame, 300},
                {Middlegame, 100},  {Middlegame, 50},    {Middlegame, 20}};
  const struct {
    int incrementMs, movesToGo;
  } controls[] = {{0, 0}, {100, 0}, {0, 1}, {0, 40}};
  SearchFixture fixture;
  Engine& engine = *fixture.engine;
  for (const int elo : {MaxStrengthElo, MinStrengthElo}) {
    setStrength(engine, elo);
    for (const auto& clock : clocks)
      for (const auto& control : controls)
        for (const int searches : {0, 12}) {
          fixture.setPosition(clock.fen);
          setClock(engine, clock.clockMs, control.incrementMs, control.movesToGo);
          engine.searchesThisGame = searches;
          searchRoot(engine, false);
          EXPECT_LT(engine.timeBudgetUs, clock.clockMs * 1000)
              << clock.clockMs << " ms +" << control.incrementMs << " to go " << control.movesToGo << " search "
              << searches << " Elo " << elo;
          EXPECT_NE(fixture.sink->bestMove.best, NoMove);
        }
  }
  setStrength(engine, MaxStrengthElo);
}

}  // namespace
}  // namespace talvik
