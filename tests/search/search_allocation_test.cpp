// The search allocates nothing per node: move lists, lines and repetition
// keys live in fixed arrays. Counted by replacing the global allocation
// functions in this test program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "search/search_driver.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"

namespace {
std::atomic<std::uint64_t> allocations{0};
}

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
// These are the replacement allocation functions themselves: memory from
// operator new above is malloc'ed, so free is the matching release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace talvik {
namespace {

TEST(SearchAllocation, CounterSeesAllocations) {
  const std::uint64_t before = allocations.load();
  std::vector<int> buffer(1000, 1);
  EXPECT_EQ(buffer[999], 1);
  EXPECT_GT(allocations.load(), before);
}

TEST(SearchAllocation, DeepSearchAllocatesNothing) {
  test::SearchFixture fixture("r2q1rk1/1b1nbppp/p2ppn2/1p6/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 0 12");
  ReportSink silent(fixture.engine.get());
  fixture.engine->reportSink = &silent;
  fixture.searchToDepth(2);  // the game's move list reaches its capacity
  const std::uint64_t before = allocations.load();
  fixture.searchToDepth(test::sanitizedBuild() ? 6 : 8);
  EXPECT_EQ(allocations.load() - before, 0u);
  EXPECT_GT(fixture.engine->pool.totalNodes(), 1000u);
  fixture.engine->reportSink = fixture.sink.get();
}

}  // namespace
}  // namespace talvik
