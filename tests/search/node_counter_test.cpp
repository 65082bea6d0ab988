// The node counter in both forms: one 64-bit word, and the pair of 32-bit
// words used where a 64-bit atomic is not lock-free (32-bit ARM).
#include "search/node_counter.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace talvik {
namespace {

template <typename Counter>
void expectExactAcrossTheLowWord() {
  struct Case {
    std::uint64_t start;
    int increments;
  };
  const Case cases[] = {
      {0, 3},                         // from a fresh search
      {0xFFFFFFFEull, 3},             // the carry into the high word
      {0x00000001FFFFFFFFull, 1},     // a carry from a non-zero high word
      {0x123456789ABCDEF0ull, 0},     // a stored value reads back whole
  };
  for (const Case& c : cases) {
    Counter counter;
    counter = c.start;
    for (int i = 0; i < c.increments; ++i) counter.increment();
    EXPECT_EQ(counter.load(), c.start + static_cast<std::uint64_t>(c.increments)) << c.start;
  }
}

TEST(NodeCounter, CountsExactlyAcrossThe32BitBoundaryInBothForms) {
  expectExactAcrossTheLowWord<BasicNodeCounter<true>>();
  expectExactAcrossTheLowWord<BasicNodeCounter<false>>();
}

}  // namespace
}  // namespace talvik
