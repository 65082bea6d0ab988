#include "eval/parameters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "board/board.h"
#include "eval/personality_file.h"

namespace talvik {
namespace {

class PersonalityTest : public ::testing::Test {
 protected:
  void SetUp() override { installParameters(personality, false); }
  void TearDown() override {
    installParameters(personality, false);
    for (const std::string& name : files) std::remove(name.c_str());
  }
  std::string writeFile(const std::string& text) {
    const std::string name = ::testing::TempDir() + "talvik_personality_" + std::to_string(files.size()) + ".txt";
    std::ofstream(name) << text;
    files.push_back(name);
    return name;
  }
  Personality personality;
  std::vector<std::string> files;
};

TEST_F(PersonalityTest, MissingKeysTakeThePersonalityDefaults) {
  ASSERT_TRUE(loadPersonality(personality, writeFile("Randomness=20\n")));
  EXPECT_EQ(personality.usePersonality, 1);
  EXPECT_EQ(personality.Randomness, 20);
  const int values[] = {pieceValue[Pawn], pieceValue[Knight], pieceValue[Bishop], pieceValue[Rook], pieceValue[Queen]};
  EXPECT_EQ(std::vector<int>(values, values + 5), (std::vector<int>{100, 325, 325, 500, 975}));
  // Not the built-in 10 / 15 / 30 / 10 / 30: the personality defaults differ.
  EXPECT_EQ(evalParams.pawnIsolatedMid, 20);
  EXPECT_EQ(evalParams.pawnDoubledEnd, 10);
  EXPECT_EQ(evalParams.rookOpenFileMid, 20);
  EXPECT_EQ(evalParams.rookOpenFileEnd, 20);
  EXPECT_EQ(evalParams.rook7thRankEnd, 20);
  EXPECT_EQ(personality.KingSafetyOwn, 100);
}

TEST_F(PersonalityTest, FileValuesAreReadLikeConfigurationValues) {
  ASSERT_TRUE(loadPersonality(personality, writeFile("# comment\nKnightValue= 300x\nBishopPair=-7\n"
                                                     "knightvalue=1\nRookValue=abc\nKnightValue=9\n")));
  EXPECT_EQ(pieceValue[Knight], 300);  // leading blank and trailing junk; the first occurrence wins
  EXPECT_EQ(evalParams.bishopPairMid, -7);
  EXPECT_EQ(evalParams.bishopPairEnd, -7);
  EXPECT_EQ(pieceValue[Rook], 0);  // no digits
  // Queen 975 + 2 * (300 + 400 + 325 + 0)
  EXPECT_EQ(evalParams.fullMaterial, 3025);
}

TEST_F(PersonalityTest, UnreadableOrEmptyNameRestoresTheBuiltInDefaults) {
  for (const char* name : {"", "/nonexistent/talvik.per"}) {
    ASSERT_TRUE(loadPersonality(personality, writeFile("PawnDoubledEnd=1\nRookOpenFileMid=2\nRook7thRankEnd=3\n")));
    EXPECT_FALSE(loadPersonality(personality, name));
    EXPECT_EQ(personality.usePersonality, 0);
    EXPECT_EQ(evalParams.pawnDoubledEnd, 20);
    EXPECT_EQ(evalParams.rookOpenFileMid, 30);
    EXPECT_EQ(evalParams.rook7thRankEnd, 30);
  }
}

TEST_F(PersonalityTest, SetParameterChangesOnlyTheSixNamedValues) {
  setParameter(personality, "BishopPair", "70");
  EXPECT_EQ(evalParams.bishopPairMid, 70);
  EXPECT_EQ(evalParams.bishopPairEnd, 70);
  setParameter(personality, "bishoppair", "80");
  setParameter(personality, "BishopPairs", "80");
  setParameter(personality, "PawnDoubledMid", "80");
  EXPECT_EQ(evalParams.bishopPairMid, 70);
  EXPECT_EQ(evalParams.pawnDoubledMid, 10);

  setParameter(personality, "QueenValue", "1000");
  EXPECT_EQ(pieceValue[Queen], 1000);
  EXPECT_EQ(evalParams.fullMaterial, 4100);  // the derived total follows at once
  EXPECT_EQ(personality.QueenValue, 975);    // the record is left alone
}

TEST_F(PersonalityTest, ASetValueIsLostWhenAPersonalityIsLoaded) {
  setParameter(personality, "KnightValue", "400");
  ASSERT_EQ(pieceValue[Knight], 400);
  ASSERT_TRUE(loadPersonality(personality, writeFile("Randomness=0\n")));
  EXPECT_EQ(pieceValue[Knight], 325);
}

// Derived entries read off the printed tables as White sees them; the
// mobility tables follow their slopes in eighths of a centipawn.
TEST_F(PersonalityTest, DerivedTablesWithTheBuiltInDefaults) {
  const EvalParameters& p = evalParams;
  EXPECT_EQ(p.pstMid[pieceIndex(King, White)][makeSquare(6, 0)], 32);    // g1, the castled king
  EXPECT_EQ(p.pstMid[pieceIndex(Pawn, White)][makeSquare(3, 3)], 20);    // d4
  EXPECT_EQ(p.pstEnd[pieceIndex(Queen, Black)][makeSquare(0, 7)], -32);  // a8
  EXPECT_EQ(p.knightOutpost[White][makeSquare(4, 4)], 32);               // e5
  EXPECT_EQ(p.knightOutpost[Black][makeSquare(4, 3)], 32);               // e4
  struct Case {
    int kind, count, mid, end;
  };
  for (const Case c : {Case{MobilityKnight, 8, 48, 40}, Case{MobilityBishop, 13, 78, 65},
                       Case{MobilityRook, 14, 56, 70}, Case{MobilityQueen, 27, 54, 81}, Case{MobilityQueen, 3, 6, 9}}) {
    EXPECT_EQ(p.mobilityMid[c.kind][c.count], c.mid) << c.kind << " " << c.count;
    EXPECT_EQ(p.mobilityEnd[c.kind][c.count], c.end) << c.kind << " " << c.count;
  }
  EXPECT_EQ(p.fullMaterial, 4075);
}

}  // namespace
}  // namespace talvik
