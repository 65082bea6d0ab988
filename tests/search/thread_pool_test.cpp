// The search threads' life: creation, count changes, start failures and
// shutdown.
#include "search/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <vector>

#include "search/search_driver.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"
#include "support/watchdog.h"

namespace talvik {
namespace {

using test::SearchFixture;

const char* const Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8";

// Splits from 2 plies of remaining depth on, so that short searches split
// often; restores the setting afterwards.
struct EagerSplits {
  EagerSplits() : saved(minSplitDepth) { minSplitDepth = 2 * OnePly; }
  ~EagerSplits() { minSplitDepth = saved; }
  int saved;
};

std::vector<const SearchThread*> threadObjects(const ThreadPool& pool) {
  std::vector<const SearchThread*> objects;
  for (const auto& thread : pool.threads) objects.push_back(thread.get());
  return objects;
}

std::vector<int> threadIndexes(const ThreadPool& pool) {
  std::vector<int> indexes;
  for (const auto& thread : pool.threads) indexes.push_back(thread->index);
  return indexes;
}

TEST(ThreadPool, CountIsClampedAndTheSameCountKeepsTheThreads) {
  SearchFixture fixture;
  ThreadPool& pool = fixture.engine->pool;
  const struct {
    int requested;
    int expected;
    bool recreated;
  } steps[] = {{4, 4, true}, {4, 4, false}, {0, 1, true}, {-5, 1, false}, {1, 1, false}, {65, 64, true},
               {64, 64, false}, {2, 2, true}};
  for (const auto& step : steps) {
    const auto before = threadObjects(pool);
    const int firstId = pool.threads.front()->id;
    pool.setThreadCount(step.requested);
    EXPECT_EQ(pool.threadCount, step.expected) << step.requested;
    ASSERT_EQ(static_cast<int>(pool.threads.size()), step.expected) << step.requested;
    EXPECT_EQ(pool.threads.front()->id != firstId, step.recreated) << step.requested;
    if (!step.recreated) {
      EXPECT_EQ(threadObjects(pool), before) << step.requested;
    }
    EXPECT_EQ(fixture.engine->mainThreadRef, pool.mainThread);
    for (std::size_t i = 1; i < pool.threads.size(); ++i) EXPECT_TRUE(pool.threads[i]->started);
  }
}

TEST(ThreadPool, SixtyFourThreadsSearchAndShutDown) {
  test::Watchdog watchdog("64-thread search", std::chrono::seconds(300));
  EagerSplits eager;
  SearchFixture fixture(Middlegame);
  Engine& engine = *fixture.engine;
  engine.pool.setThreadCount(64);
  ASSERT_EQ(engine.pool.threads.size(), 64u);
  engine.pool.statistics.reset();
  const auto& result = fixture.searchToDepth(test::sanitizedBuild() ? 4 : 6);
  EXPECT_NE(result.best, NoMove);
  EXPECT_GT(engine.pool.statistics.splits, 0u);
  engine.tearDown();
  EXPECT_TRUE(engine.pool.threads.empty());
  EXPECT_EQ(engine.pool.mainThread, nullptr);
}

// A starter that refuses every second helper.
std::atomic<int> startAttempts{0};
int refuseEverySecondHelper(pthread_t* handle, const pthread_attr_t* attributes, void* (*entry)(void*), void* arg) {
  if (startAttempts.fetch_add(1) % 2 == 1) return EAGAIN;
  return pthread_create(handle, attributes, entry, arg);
}

// Helpers that never started are not in the pool: a split that booked one
// would wait for it for ever.
TEST(ThreadPool, HelpersThatCannotStartAreLeftOut) {
  test::Watchdog watchdog("search with failed helpers", std::chrono::seconds(300));
  EagerSplits eager;
  SearchFixture fixture(Middlegame);
  ThreadPool& pool = fixture.engine->pool;
  pool.startThread = refuseEverySecondHelper;
  startAttempts = 0;
  pool.setThreadCount(6);  // helpers 1, 3 and 5 start; 2 and 4 are refused
  EXPECT_EQ(threadIndexes(pool), (std::vector<int>{0, 1, 3, 5}));
  EXPECT_EQ(pool.threadCount, 6);
  pool.statistics.reset();
  for (int depth = 3; depth <= (test::sanitizedBuild() ? 5 : 7); ++depth) {
    const auto& result = fixture.searchToDepth(depth);
    EXPECT_NE(result.best, NoMove) << depth;
    watchdog.feed();
  }
  EXPECT_GT(pool.statistics.splits, 0u);
  pool.startThread = pthread_create;
}

// A GUI may change the thread count while the engine thinks: the running
// search keeps its threads and the next one uses the new count.
TEST(ThreadPool, CountChangedDuringASearchAppliesToTheNextSearch) {
  SearchFixture fixture(Middlegame);
  Engine& engine = *fixture.engine;
  ThreadPool& pool = engine.pool;
  pool.setThreadCount(2);
  const auto before = threadObjects(pool);
  std::vector<std::size_t> sizesDuringSearch;
  fixture.sink->onPv = [&](Engine& e, const test::ReportedPv&) {
    e.pool.setThreadCount(3);
    sizesDuringSearch.push_back(e.pool.threads.size());
  };
  fixture.searchToDepth(3);
  EXPECT_EQ(sizesDuringSearch, (std::vector<std::size_t>{2, 2, 2}));
  EXPECT_EQ(threadObjects(pool), before);
  fixture.sink->onPv = nullptr;
  fixture.searchToDepth(3);
  EXPECT_EQ(pool.threads.size(), 3u);
  EXPECT_EQ(pool.threadCount, 3);
  // Back and forth during one search: nothing is left to do afterwards.
  const auto three = threadObjects(pool);
  fixture.sink->onPv = [](Engine& e, const test::ReportedPv& pv) { e.pool.setThreadCount(pv.depth == 1 ? 5 : 3); };
  fixture.searchToDepth(2);
  fixture.sink->onPv = nullptr;
  fixture.searchToDepth(1);
  EXPECT_EQ(threadObjects(pool), three);
}

}  // namespace
}  // namespace talvik
