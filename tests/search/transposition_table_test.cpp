#include "search/transposition_table.h"

#include <gtest/gtest.h>

namespace talvik {
namespace {

TEST(TransTable, SizeIsTheNextPowerOfTwoOfMegabytes) {
  const struct {
    int requested;
    std::uint32_t entries;
  } cases[] = {{100, 8388608}, {1, 65536}, {0, 65536}, {-5, 65536}, {2, 131072}, {3, 262144}, {64, 4194304}};
  for (const auto& c : cases) {
    TransTable table;
    ASSERT_TRUE(table.allocate(c.requested));
    EXPECT_EQ(table.entryCount, c.entries) << c.requested;
    EXPECT_EQ(table.indexMask, c.entries - 4);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(table.entries) % 64, 0u);
  }
}

// Mate scores are kept relative to the node: the same mate found at ply 5 is
// two plies further away when the position is reached at ply 3.
TEST(TransTable, MateScoresFollowThePly) {
  const struct {
    int stored, storePly, probePly, expected;
  } cases[] = {
      {31994, 5, 5, 31994}, {31994, 5, 3, 31996}, {-31994, 5, 3, -31996},
      {-31994, 5, 9, -31990}, {31744, 5, 3, 31744},  // below the mate range: unchanged
      {120, 7, 1, 120},
  };
  TransTable table;
  ASSERT_TRUE(table.allocate(1));
  for (const auto& c : cases) {
    const std::uint64_t key = 0x1234567890abcdefull + static_cast<std::uint64_t>(c.stored) * 977;
    table.store(key, 0x1234, c.stored, 10, c.storePly, BoundExact);
    Move move = NoMove;
    int score = 0;
    ASSERT_EQ(table.probe(key, 10, c.probePly, -32001, 32001, move, score), ProbeExact);
    EXPECT_EQ(score, c.expected) << c.stored << " at ply " << c.storePly << " read at " << c.probePly;
    EXPECT_EQ(move, 0x1234u);
  }
}

// A bound is usable only on its side of the window; the move comes back
// whenever the key is found.
TEST(TransTable, BoundsAreUsableOnlyOnTheirSide) {
  const struct {
    int bound, depth, alpha, beta, expected;
  } cases[] = {
      {BoundUpper, 4, 60, 61, ProbeUpper}, {BoundUpper, 4, 40, 41, ProbeNone},
      {BoundLower, 4, 30, 31, ProbeLower}, {BoundLower, 4, 60, 61, ProbeNone},
      {BoundExact, 4, 60, 61, ProbeExact}, {BoundExact, 6, -100, 100, ProbeNone},  // too shallow
  };
  for (const auto& c : cases) {
    TransTable table;
    ASSERT_TRUE(table.allocate(1));
    const std::uint64_t key = 0xfeedface12345678ull;
    table.store(key, 0x777, 50, 4, 0, c.bound);
    Move move = NoMove;
    int score = 0;
    EXPECT_EQ(table.probe(key, c.depth, 0, c.alpha, c.beta, move, score), c.expected)
        << "bound " << c.bound << " window " << c.alpha;
    EXPECT_EQ(move, 0x777u);
  }
}

// Keys that share their low half share a bucket.
std::uint64_t bucketKey(std::uint32_t high) { return std::uint64_t{high} << 32 | 0x00012340u; }

bool found(TransTable& table, std::uint64_t key) {
  Move move = NoMove;
  int score = 0;
  table.probe(key, 0, 0, -32001, 32001, move, score);
  return move != NoMove;
}

TEST(TransTable, FullBucketReplacesTheShallowestEntryOfThisSearch) {
  TransTable table;
  ASSERT_TRUE(table.allocate(1));
  const int depths[4] = {10, 4, 8, 6};
  for (int i = 0; i < 4; ++i) table.store(bucketKey(i + 1), 100 + i, 0, depths[i], 0, BoundExact);
  table.store(bucketKey(9), 200, 0, 12, 0, BoundExact);
  EXPECT_TRUE(found(table, bucketKey(9)));
  EXPECT_FALSE(found(table, bucketKey(2)));  // depth 4
  for (const int kept : {1, 3, 4}) EXPECT_TRUE(found(table, bucketKey(kept)));
}

TEST(TransTable, EntriesOfEarlierSearchesGoFirstUnlessUsedAgain) {
  TransTable table;
  ASSERT_TRUE(table.allocate(1));
  for (int i = 0; i < 4; ++i) table.store(bucketKey(i + 1), 100 + i, 0, 40 + i, 0, BoundExact);
  table.advanceGeneration();
  // A usable hit moves entry 1 into the current search.
  Move move = NoMove;
  int score = 0;
  ASSERT_EQ(table.probe(bucketKey(1), 40, 0, -32001, 32001, move, score), ProbeExact);
  table.store(bucketKey(8), 300, 0, 2, 0, BoundExact);
  EXPECT_TRUE(found(table, bucketKey(1)));
  EXPECT_FALSE(found(table, bucketKey(2)));  // the shallowest entry of the old search
  EXPECT_TRUE(found(table, bucketKey(8)));
}

TEST(TransTable, StoringTheSameKeyReusesItsSlot) {
  TransTable table;
  ASSERT_TRUE(table.allocate(1));
  for (int i = 0; i < 3; ++i) table.store(bucketKey(i + 1), 100 + i, 0, 10, 0, BoundExact);
  table.store(bucketKey(1), 500, 7, 12, 0, BoundLower);
  table.store(bucketKey(4), 104, 0, 10, 0, BoundExact);
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(found(table, bucketKey(i))) << i;
  Move move = NoMove;
  int score = 0;
  EXPECT_EQ(table.probe(bucketKey(1), 12, 0, 0, 5, move, score), ProbeLower);
  EXPECT_EQ(move, 500u);
}

TEST(TransTable, WithoutATableProbesMissAndStoresAreDropped) {
  TransTable table;
  table.store(42, 0x55, 10, 4, 0, BoundExact);
  Move move = 0x99;
  int score = -7;
  EXPECT_EQ(table.probe(42, 0, 0, -32001, 32001, move, score), ProbeNone);
  EXPECT_EQ(move, 0x99u);
  EXPECT_EQ(score, -7);
}

}  // namespace
}  // namespace talvik
