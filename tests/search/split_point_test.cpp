// The bookkeeping of a split point, one thread at a time: a helper object
// that runs no thread of its own works at a split point made by the test,
// so which moves it takes, in which order and under which numbers, and what
// the split point keeps afterwards, are the same on every run.
#include "search/split_point.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "search/game.h"
#include "search/move_picker.h"
#include "search/root_search.h"
#include "search/search_driver.h"
#include "search/thread_pool.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

using test::SearchFixture;

// A split point at the engine's position as its master leaves it once it
// has taken `taken` moves itself, `best` scoring `score` the best of them.
struct HandMadeSplit {
  explicit HandMadeSplit(const char* fen) : fixture(fen) {
    fixture.engine->limitMode = LimitDepth;  // no clock
    prepareSearchContext(ctx, *fixture.engine);
    helper = std::make_unique<SearchThread>(&fixture.engine->pool, fixture.engine.get(), 1);
  }
  Move move(const char* text) const { return parseCoordinateMove(ctx.board, text, false); }
  void open(const NodeMoves& node, int taken, Move best, int score) {
    SearchThread& master = *ctx.thread;
    sp.master = &master;
    sp.context = &ctx;
    sp.node = node;
    sp.moveCount = taken;
    sp.bestMove = best;
    sp.bestScore = score;
    sp.slavesMask = master.mask | helper->mask;
    sp.slaveCount = 2;
    std::memset(sp.killers, 0, sizeof sp.killers);
    std::memset(sp.history, 0, sizeof sp.history);
    helper->activeSplit = &sp;
    helper->busy = 1;
  }
  void work() { workAtSplitPoint(*helper, sp); }

  SearchFixture fixture;
  SearchContext ctx;
  std::unique_ptr<SearchThread> helper;
  SplitPoint sp;
};

// A PV node two plies from the horizon, one ply below the root.
NodeMoves interiorNode(int beta) {
  NodeMoves node;
  node.beta = beta;
  node.depth = 2 * OnePly;
  node.ply = 1;
  node.isPV = true;
  return node;
}

const char* const BackRankMate = "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1";  // Ra8 mates

// Whatever finds the better move, the split point keeps it together with
// its score; a refutation marks the split point cut off.
TEST(SplitPoint, InteriorNodeKeepsTheBestMoveWithItsScore) {
  struct Case {
    const char* masterMove;  // searched by the master first
    int masterScore;
    int beta;
    const char* best;
    int score;
    bool cutoff;
  };
  const int mate = MateScore - 2;  // mated at ply 2
  const Case cases[] = {
      {"g1f1", 0, MateScore, "a1a8", mate, false},     // a helper finds the mate
      {"a1a8", mate, MateScore, "a1a8", mate, false},  // nothing beats the master's move
      {"g1f1", 0, 2000, "a1a8", mate, true},           // only the mate refutes the node
  };
  for (const Case& c : cases) {
    HandMadeSplit split(BackRankMate);
    const Move first = split.move(c.masterMove);
    MovePicker picker;
    initPicker(picker, false, first, NoMove, NoMove, NoMove, split.ctx.thread->history);
    Move taken = NoMove;
    ASSERT_EQ(nextMove(picker, split.ctx.board, taken), HashMoveStage);
    split.sp.picker = &picker;
    split.open(interiorNode(c.beta), 1, first, c.masterScore);
    split.work();
    EXPECT_EQ(split.sp.bestMove, split.move(c.best)) << c.masterMove << " " << c.beta;
    EXPECT_EQ(split.sp.bestScore, c.score) << c.masterMove << " " << c.beta;
    EXPECT_EQ(static_cast<bool>(split.sp.cutoff), c.cutoff) << c.masterMove << " " << c.beta;
    if (!c.cutoff) {
      // Every move handed out once, the master's included; the helper left.
      EXPECT_EQ(split.sp.moveCount, static_cast<int>(test::legalMoves(split.ctx.board).size()));
      EXPECT_EQ(split.sp.slavesMask, split.ctx.thread->mask);
    }
    if (!c.cutoff && split.sp.bestMove != first) {
      // The master's line at the node starts with the helper's move.
      ASSERT_GE(split.ctx.pvLength[1], 1);
      EXPECT_EQ(split.ctx.pvTable[1][0], split.sp.bestMove);
    }
  }
}

// At the root the moves are taken in the order of the root list from where
// the master stopped, each once and announced with its number in the list.
TEST(SplitPoint, RootHandsOutEachMoveOnceInOrder) {
  struct Case {
    bool mateFirst;  // the master's move is the mate
    int beta;
  };
  // Above 2000 only the mate reaches beta.
  const Case cases[] = {{false, FullWindow}, {true, FullWindow}, {false, 2000}};
  for (const Case& c : cases) {
    HandMadeSplit split(BackRankMate);
    split.fixture.engine->reportCurrMove = 1;
    RootMoves root;
    generateRootMoves(split.ctx, root);
    const Move mate = split.move("a1a8");
    // The mate first or last in the list.
    moveToFront(root, mate);
    if (!c.mateFirst) std::rotate(root.moves, root.moves + 1, root.moves + root.count);
    split.sp.rootMoves = root.moves;
    split.sp.rootMoveCount = root.count;
    split.sp.rootSplit = true;
    NodeMoves node;
    node.beta = c.beta;
    node.depth = 2 * OnePly;
    node.isPV = true;
    const int masterScore = c.mateFirst ? MateScore - 1 : -50;
    split.open(node, 1, root.moves[0].move, masterScore);
    split.work();

    std::vector<std::pair<Move, int>> expected;
    for (int i = 1; i < root.count; ++i) expected.emplace_back(root.moves[i].move, i + 1);
    EXPECT_EQ(split.fixture.sink->currentMoves, expected) << c.mateFirst << " " << c.beta;
    EXPECT_EQ(split.sp.moveCount, root.count);
    EXPECT_EQ(split.sp.bestMove, mate);
    EXPECT_EQ(split.sp.bestScore, MateScore - 1);
    EXPECT_EQ(static_cast<bool>(split.sp.cutoff), c.beta < MateScore);
    if (!c.mateFirst) {
      EXPECT_EQ(split.ctx.pvTable[0][0], mate);
    }
  }
}

}  // namespace
}  // namespace talvik
