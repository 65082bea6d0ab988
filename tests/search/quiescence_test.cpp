#include "search/quiescence.h"

#include <gtest/gtest.h>

#include "eval/evaluate.h"

#include "search/search_driver.h"
#include "support/search_helpers.h"

namespace talvik {
namespace {

struct QuiescenceCase {
  const char* fen;
  int alpha, beta, depth;
  bool searchesMoves;  // whether any move is made
};

// Which moves the quiescence search looks at.
TEST(Quiescence, MoveSelection) {
  const QuiescenceCase cases[] = {
      // Only quiet checks (Ra8+): tried at the first quiescence ply, never at depth -1.
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", -32001, 32001, 0, true},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", -32001, 32001, -1, false},
      // A queen taking a pawn defended by a pawn is skipped by the exchange test ...
      {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", -32001, 32001, -1, false},
      // ... a pawn taking a defended queen is searched without one.
      {"4k3/8/2p5/3q4/4P3/8/8/4K3 w - - 0 1", -32001, 32001, -1, true},
      // Standing pat at or above beta searches nothing, even with a capture on offer.
      {"4k3/8/8/3p4/4P3/8/8/Q3K3 w - - 0 1", -32001, 0, 0, false},
      {"4k3/8/8/3p4/4P3/8/8/Q3K3 w - - 0 1", -32001, 5000, 0, true},
  };
  for (const QuiescenceCase& c : cases) {
    test::SearchFixture fixture(c.fen);
    SearchContext ctx;
    prepareSearchContext(ctx, *fixture.engine);
    const int value = quiesce(ctx, c.alpha, c.beta, c.depth, 1, false, false);
    EXPECT_EQ(ctx.nodes > 0, c.searchesMoves) << c.fen << " depth " << c.depth;
    if (!c.searchesMoves && c.beta < 32001) {
      // The stand-pat value itself, not just beta.
      const int standPat = evaluateLazy(fixture.engine->evalContext, ctx.board,
                                        fixture.engine->pool.mainThread->pawnHash, c.alpha, c.beta);
      EXPECT_GE(standPat, c.beta) << c.fen;
      EXPECT_EQ(value, standPat) << c.fen;
    }
  }
}

TEST(Quiescence, CheckmateIsScoredByPly) {
  test::SearchFixture fixture("R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1");
  SearchContext ctx;
  prepareSearchContext(ctx, *fixture.engine);
  for (const int ply : {1, 3, 10}) EXPECT_EQ(quiesce(ctx, -32001, 32001, 0, ply, true, true), ply - 32000);
}

TEST(Quiescence, PlyLimitEvaluatesWithoutMoves) {
  test::SearchFixture fixture("4k3/8/2p5/3q4/4P3/8/8/4K3 w - - 0 1");
  SearchContext ctx;
  prepareSearchContext(ctx, *fixture.engine);
  // At the ply limit the static value stands, though exd5 wins the queen.
  const int staticValue = evaluate(fixture.engine->evalContext, ctx.board, fixture.engine->pool.mainThread->pawnHash);
  EXPECT_EQ(quiesceGuarded(ctx, -32001, 32001, 0, 127, true, false), staticValue);
  EXPECT_LT(staticValue, -500);
  EXPECT_EQ(ctx.nodes, 0u);
}

}  // namespace
}  // namespace talvik
