#include "protocol/search_tracker.h"

#include <gtest/gtest.h>

#include "search/engine.h"

namespace talvik {
namespace {

enum Action { Stop, Abort, PonderHit };

// What a search sees once the commands have reached it, whether they came
// before it began (the hand-over to the main thread) or while it ran.
TEST(SearchTracker, CommandsReachTheSearchWhenEverTheyCome) {
  struct Case {
    bool ponderSearch;
    std::vector<Action> actions;
    int stopRequest;
    int pondering;
    bool answer, aborted;
  };
  const Case cases[] = {
      {false, {}, StopNone, 0, false, false},
      {true, {}, StopNone, 1, false, false},
      {false, {Stop}, StopNormal, 0, true, false},
      {true, {Stop}, StopPonder, 1, true, false},
      {true, {PonderHit}, StopNone, 0, true, false},
      {true, {PonderHit, Stop}, StopNormal, 0, true, false},
      {true, {Stop, PonderHit}, StopPonder, 1, true, false},
      {true, {Stop, Abort}, StopAbort, 1, true, true},
      {false, {Abort, Stop}, StopAbort, 0, true, true},
  };
  for (const Case& c : cases) {
    for (const bool beforeStart : {true, false}) {
      Engine engine;
      engine.ponderEnabled = 1;
      SearchTracker tracker(engine);
      auto begin = [&] {
        // What the search does when it begins.
        engine.stopRequest = StopNone;
        engine.pondering = c.ponderSearch ? 1 : 0;
        engine.searching = 1;
        tracker.started();
      };
      tracker.requested(c.ponderSearch);
      if (!beforeStart) begin();
      for (const Action a : c.actions) {
        if (a == Stop) tracker.stop();
        else if (a == Abort) tracker.abort();
        else tracker.endPondering();
      }
      if (beforeStart) begin();
      const std::string label = std::to_string(&c - cases) + (beforeStart ? " before" : " during");
      EXPECT_EQ(engine.stopRequest, c.stopRequest) << label;
      EXPECT_EQ(engine.pondering, c.pondering) << label;
      EXPECT_EQ(tracker.answerRequested(), c.answer) << label;
      EXPECT_EQ(tracker.abortRequested(), c.aborted) << label;
      if (c.actions.empty()) continue;
      EXPECT_EQ(engine.pollCounter, engine.pollInterval) << label << ": the next node must poll";
    }
  }
}

TEST(SearchTracker, AStopNeverOverwritesTheSearchsOwnEnd) {
  Engine engine;
  SearchTracker tracker(engine);
  tracker.requested(true);
  engine.searching = 1;
  tracker.started();
  engine.stopRequest = StopPonderDone;  // the ponder search ended on its own
  tracker.stop();
  EXPECT_EQ(engine.stopRequest, StopPonderDone);
  EXPECT_TRUE(tracker.answerRequested());
}

TEST(SearchTracker, NothingHappensWithoutAPendingSearch) {
  Engine engine;
  SearchTracker tracker(engine);
  tracker.stop();
  tracker.abort();
  tracker.endPondering();
  EXPECT_EQ(engine.stopRequest, StopNone);
  EXPECT_FALSE(tracker.answerRequested());
  tracker.requested(false);
  tracker.reported(true);
  EXPECT_EQ(tracker.phase(), SearchTracker::Phase::Held);
  tracker.stop();
  EXPECT_FALSE(tracker.answerRequested());
}

}  // namespace
}  // namespace talvik
