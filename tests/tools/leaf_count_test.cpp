#include "tools/leaf_count.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/test_positions.h"

namespace talvik {
namespace {

// Every published count of the reference file, up to a size that keeps the
// suite quick (the sanitizer build stops much earlier).
TEST(LeafCount, MatchesEveryReferenceCount) {
  const std::uint64_t limit = test::sanitizedBuild() ? 3'000'000 : 200'000'000;
  int checked = 0;
  for (const auto& ref : test::perftReferences()) {
    Board board = test::boardFromFen(ref.fen);
    const Board before = board;
    for (const auto& [depth, expected] : ref.counts) {
      if (expected > limit) continue;
      EXPECT_EQ(countLeaves(board, depth), expected) << ref.fen << " depth " << depth;
      ++checked;
    }
    EXPECT_EQ(std::memcmp(&board, &before, sizeof board), 0) << "board changed: " << ref.fen;
  }
  EXPECT_GT(checked, 40);
}

}  // namespace
}  // namespace talvik
