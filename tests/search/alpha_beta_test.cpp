#include "search/alpha_beta.h"

#include <gtest/gtest.h>

#include "board/makemove.h"
#include "search/game.h"
#include "search/move_picker.h"
#include "search/reductions.h"
#include "search/search_driver.h"
#include "search/thread_pool.h"
#include "support/search_helpers.h"

namespace talvik {
namespace {

using test::SearchFixture;

// One late quiet move of a non-PV node 5 plies from the horizon, searched in
// the null window (alpha, alpha + 1) from a cleared table.
struct LateMove {
  static constexpr int Plies = 5;
  static constexpr int MovesBefore = 26;  // late enough for a reduction, too early for pruning

  LateMove(const char* fen, const char* text) : fixture(fen) {
    fixture.engine->limitMode = LimitDepth;
    SearchContext ctx;
    prepareSearchContext(ctx, *fixture.engine);
    move = parseCoordinateMove(ctx.board, text, false);
  }
  // A cleared table and cleared move-ordering tables, as at a search start.
  SearchContext freshContext() {
    fixture.engine->transTable.clear();
    SearchContext ctx;
    prepareSearchContext(ctx, *fixture.engine);
    ctx.thread->clearForSearch();
    return ctx;
  }
  // The move's value from a plain null-window search of `childDepth`.
  int plainValue(int alpha, int childDepth) {
    SearchContext ctx = freshContext();
    UndoRecord undo;
    ctx.repKeys[ctx.repCount++] = ctx.board.hashKey;
    makeMove(ctx.board, move, undo);
    ctx.moveStack[1] = move;
    return -searchNode(ctx, -alpha - 1, -alpha, childDepth, 2, false, false);
  }
  // The move's value as the node's move loop gets it, reductions allowed.
  int loopValue(int alpha) {
    SearchContext ctx = freshContext();
    NodeMoves node;
    node.beta = alpha + 1;
    node.depth = OnePly * Plies;
    node.ply = 1;
    node.reductionsAllowed = true;
    UndoRecord undo;
    makeMove(ctx.board, move, undo);
    int value = 0;
    EXPECT_TRUE(searchMadeMove(ctx, node, move, undo, QuietStage, MovesBefore, alpha, value));
    return value;
  }

  SearchFixture fixture;
  Move move = NoMove;
};

// A late quiet move is searched shallower first, and again at full depth
// only when the shallow search beats alpha: it beats alpha in the end only
// when both searches do. The cases are moves of the benchmark positions on
// which the two searches disagree; a change of the evaluation or the search
// may call for other picks (the first assertion tells).
TEST(LateMoveReduction, FullDepthSearchOnlyAfterTheReducedOneBeatsAlpha) {
  struct Case {
    const char* fen;
    const char* move;
    int alpha;
  };
  const Case cases[] = {
      // The shallow search likes the move; the full-depth one does not.
      {"r2qkbnr/ppp2p1p/2n5/3P4/2BP1pb1/2N2p2/PPPQ2PP/R1B2RK1 b kq - 0 1", "f8e7", -124},
      {"5rr1/p2qbR1p/1kn5/1p2B3/3P4/2P2Q2/PP4PP/4R1K1 b - - 0 1", "d7e6", -865},
      // The shallow search misses what the move is worth: it stays below alpha.
      {"r2q1b1r/p2k1p1p/2p2n2/nB6/3PNQb1/5p2/PPP3PP/R1B1R1K1 b - - 0 1", "f8e7", -318},
      {"r2q1b1r/p2k1p1p/2p2n2/nB6/3PNQb1/5p2/PPP3PP/R1B1R1K1 b - - 0 1", "a7a6", -619},
  };
  for (const Case& c : cases) {
    LateMove late(c.fen, c.move);
    ASSERT_NE(late.move, NoMove) << c.fen << " " << c.move;
    const int fullDepth = OnePly * (LateMove::Plies - 1);
    const int reduction = lmrTable[LateMove::Plies][LateMove::MovesBefore];
    ASSERT_GT(reduction, 0);
    const bool reducedBeatsAlpha = late.plainValue(c.alpha, fullDepth - OnePly * reduction) > c.alpha;
    const bool fullBeatsAlpha = late.plainValue(c.alpha, fullDepth) > c.alpha;
    ASSERT_NE(reducedBeatsAlpha, fullBeatsAlpha) << c.fen << " " << c.move;
    EXPECT_EQ(late.loopValue(c.alpha) > c.alpha, reducedBeatsAlpha && fullBeatsAlpha) << c.fen << " " << c.move;
  }
}

}  // namespace
}  // namespace talvik
