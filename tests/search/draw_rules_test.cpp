#include "search/draw_rules.h"

#include <gtest/gtest.h>

#include "search/search_driver.h"
#include "support/search_helpers.h"

namespace talvik {
namespace {

using test::mateIn;
using test::SearchFixture;

// The fifty-move rule at its boundary: 100 half-moves without a capture or
// pawn move end the game as a draw, unless the side to move is checkmated
// right then; 99 do not.
TEST(FiftyMoveRule, DrawFromExactlyOneHundredHalfMoves) {
  struct Case {
    const char* fen;
    bool draw;
  };
  const Case cases[] = {
      {"k7/8/2K5/8/8/8/8/7Q w - - 99 80", false},
      {"k7/8/2K5/8/8/8/8/7Q w - - 100 80", true},
      {"k7/8/2K5/8/8/8/8/7Q w - - 101 80", true},
      // In check with a way out (Kb8): still a draw.
      {"k7/8/2K5/8/8/8/8/Q7 b - - 100 80", true},
      // Checkmated on the hundredth half-move: the mate stands.
      {"k7/1Q6/2K5/8/8/8/8/8 b - - 100 80", false},
      {"k7/1Q6/2K5/8/8/8/8/8 b - - 99 80", false},
  };
  SearchFixture fixture;
  for (const Case& c : cases) {
    fixture.setPosition(c.fen);
    SearchContext ctx;
    prepareSearchContext(ctx, *fixture.engine);
    EXPECT_EQ(isDrawByRule(ctx, sideToMoveInCheck(ctx.board)), c.draw) << c.fen;
  }
}

// The search sees the limit coming: Qh7 Kb8 Qb7 mates in two, but only while
// the mating move is made before the hundredth half-move.
TEST(FiftyMoveRule, SearchFindsOnlyTheMateBeforeTheLimit) {
  struct Case {
    const char* fen;
    int score;
  };
  const int savedDrawScore = drawScore;
  drawScore = 20;
  const Case cases[] = {
      {"k7/8/2K5/8/8/8/8/7Q w - - 96 80", mateIn(2)},
      {"k7/8/2K5/8/8/8/8/7Q w - - 97 80", mateIn(2)},  // the mate lands on the hundredth
      {"k7/8/2K5/8/8/8/8/7Q w - - 98 80", -20},        // it would come one half-move late
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - - 99 80", mateIn(1)},
  };
  for (const Case& c : cases) {
    SearchFixture fixture(c.fen);
    fixture.searchToDepth(6);
    ASSERT_FALSE(fixture.sink->pvs.empty()) << c.fen;
    EXPECT_EQ(fixture.sink->pvs.back().score, c.score) << c.fen;
  }
  drawScore = savedDrawScore;
}

}  // namespace
}  // namespace talvik
