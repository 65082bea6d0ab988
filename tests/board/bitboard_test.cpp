#include "board/bitboard.h"

#include <gtest/gtest.h>

#include <random>

namespace talvik {
namespace {

Bitboard squares(std::initializer_list<Square> list) {
  Bitboard b = 0;
  for (Square sq : list) b |= squareMask[sq];
  return b;
}

class MagicLookup : public ::testing::Test {
 protected:
  void SetUp() override { initBitboardTables(); }
};

// Every subset of every relevant mask: the stored multipliers must never map
// two occupancies with different attack sets to one slot.
TEST_F(MagicLookup, EveryMaskSubsetMatchesTheRayWalk) {
  for (Square sq = 0; sq < 64; ++sq) {
    for (const bool rook : {false, true}) {
      const Bitboard mask = rook ? rookMask[sq] : bishopMask[sq];
      Bitboard subset = 0;
      do {
        const Bitboard fast = rook ? rookAttacks(sq, subset) : bishopAttacks(sq, subset);
        const Bitboard slow = rook ? slowRookAttacks(sq, subset) : slowBishopAttacks(sq, subset);
        ASSERT_EQ(fast, slow) << (rook ? "rook" : "bishop") << " on " << sq << " occupancy " << subset;
        subset = (subset - mask) & mask;
      } while (subset != 0);
    }
  }
}

// Whole-board occupancies, with pieces outside the masks (edges, the slider's
// own square) that the lookup must ignore.
TEST_F(MagicLookup, RandomOccupanciesMatchTheRayWalk) {
  std::mt19937_64 rng(20240611);
  for (int i = 0; i < 4000; ++i) {
    // Sparse and dense boards both occur in games.
    const Bitboard occupancy = i % 2 ? rng() & rng() : rng() | rng();
    for (Square sq = 0; sq < 64; ++sq) {
      ASSERT_EQ(bishopAttacks(sq, occupancy), slowBishopAttacks(sq, occupancy)) << sq << " " << occupancy;
      ASSERT_EQ(rookAttacks(sq, occupancy), slowRookAttacks(sq, occupancy)) << sq << " " << occupancy;
      ASSERT_EQ(queenAttacks(sq, occupancy), slowBishopAttacks(sq, occupancy) | slowRookAttacks(sq, occupancy));
    }
  }
}

TEST(MagicTables, ShiftsFollowTheMaskSizes) {
  struct Case {
    Square sq;
    std::uint32_t bishop, rook;
  };
  const Case cases[] = {
      {0, 26, 20},  {7, 26, 20},  {56, 26, 20}, {63, 26, 20},  // corners
      {27, 23, 22}, {28, 23, 22}, {35, 23, 22}, {36, 23, 22},  // centre
      {3, 27, 21},  {24, 27, 21},                               // edges
      {9, 27, 22},                                              // b2
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bishopShift[c.sq], c.bishop) << c.sq;
    EXPECT_EQ(rookShift[c.sq], c.rook) << c.sq;
  }
}

TEST(StepTables, NoWrapAcrossTheBoardEdges) {
  EXPECT_EQ(knightAttacks[0], squares({10, 17}));                   // a1: c2, b3
  EXPECT_EQ(knightAttacks[15], squares({5, 21, 30}));               // h2: f1, f3, g4
  EXPECT_EQ(kingAttacks[56], squares({48, 49, 57}));                // a8
  EXPECT_EQ(kingAttacks[39], squares({30, 31, 38, 46, 47}));        // h5
  EXPECT_EQ(pawnAttacks[White][15], squares({22}));                 // h2 takes g3
  EXPECT_EQ(pawnAttacks[White][8], squares({17}));                  // a2 takes b3
  EXPECT_EQ(pawnAttacks[Black][55], squares({46}));                 // h7 takes g6
  EXPECT_EQ(pawnAttacks[Black][12], squares({3, 5}));               // e2 takes d1, f1
  EXPECT_EQ(pawnAttacks[White][60], 0u);                            // nothing off the board
}

TEST(StepTables, BetweenMaskHoldsOnlyTheSquaresStrictlyBetween) {
  EXPECT_EQ(betweenMask[0][63], squares({9, 18, 27, 36, 45, 54}));  // a1-h8
  EXPECT_EQ(betweenMask[63][0], betweenMask[0][63]);
  EXPECT_EQ(betweenMask[4][60], squares({12, 20, 28, 36, 44, 52}));  // e1-e8
  EXPECT_EQ(betweenMask[4][7], squares({5, 6}));                     // e1-h1
  EXPECT_EQ(betweenMask[4][5], 0u);                                  // neighbours
  EXPECT_EQ(betweenMask[0][17], 0u);                                 // a1-b3: no line
  EXPECT_EQ(betweenMask[7][8], 0u);                                  // h1-a2: not a diagonal
  EXPECT_EQ(betweenMask[20][20], 0u);
}

}  // namespace
}  // namespace talvik
