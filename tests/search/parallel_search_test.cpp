// The search on several threads: split points, their results and
// refutations, and a long run of searches that a GUI interrupts at random
// moments (run under ThreadSanitizer by scripts/test.sh).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "search/alpha_beta.h"
#include "search/game.h"
#include "search/move_picker.h"
#include "search/search_driver.h"
#include "search/split_hooks.h"
#include "search/split_point.h"
#include "search/table_probes.h"
#include "search/time_control.h"
#include "support/search_helpers.h"
#include "support/test_positions.h"
#include "support/watchdog.h"

namespace talvik {
namespace {

using test::SearchFixture;

const char* const Middlegame = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8";
const char* const Kiwipete = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
const char* const RookEnding = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";

// Sets the global minimum split depth (in plies) for one test.
struct MinSplitPlies {
  explicit MinSplitPlies(int plies) : saved(minSplitDepth) { minSplitDepth = OnePly * plies; }
  ~MinSplitPlies() { minSplitDepth = saved; }
  int saved;
};

struct Outcome {
  Move best = NoMove;
  std::uint64_t nodes = 0;
  std::vector<test::ReportedPv> pvs;
  std::uint64_t splits = 0;
};

Outcome searchWithThreads(const char* fen, int threads, int depth) {
  SearchFixture fixture(fen, 4);
  fixture.engine->pool.setThreadCount(threads);
  fixture.engine->pool.statistics.reset();
  Outcome outcome;
  const auto& result = fixture.searchToDepth(depth);
  outcome.best = result.best;
  outcome.nodes = result.nodes;
  outcome.pvs = fixture.sink->pvs;
  outcome.splits = fixture.engine->pool.statistics.splits;
  return outcome;
}

void expectSameSearch(const Outcome& a, const Outcome& b, const std::string& what) {
  EXPECT_EQ(a.best, b.best) << what;
  EXPECT_EQ(a.nodes, b.nodes) << what;
  ASSERT_EQ(a.pvs.size(), b.pvs.size()) << what;
  for (std::size_t i = 0; i < a.pvs.size(); ++i) {
    EXPECT_EQ(a.pvs[i].score, b.pvs[i].score) << what << " line " << i;
    EXPECT_EQ(a.pvs[i].moves, b.pvs[i].moves) << what << " line " << i;
    EXPECT_EQ(a.pvs[i].nodes, b.pvs[i].nodes) << what << " line " << i;
  }
}

// Threads that never get a split point leave the search exactly as one
// thread searches: the same tree, node for node.
TEST(ParallelSearch, ThreadsWithoutSplitsSearchTheSameTree) {
  const int depth = test::sanitizedBuild() ? 5 : 7;
  for (const char* fen : {Middlegame, Kiwipete, RookEnding}) {
    const Outcome single = searchWithThreads(fen, 1, depth);
    EXPECT_EQ(single.splits, 0u) << fen;
    {
      // Every node is at most `depth` plies from the horizon.
      MinSplitPlies unreachable(depth);
      const Outcome idle = searchWithThreads(fen, 4, depth);
      EXPECT_EQ(idle.splits, 0u) << fen;
      expectSameSearch(single, idle, std::string("4 idle threads: ") + fen);
    }
    const Outcome again = searchWithThreads(fen, 1, depth);
    expectSameSearch(single, again, std::string("1 thread again: ") + fen);
  }
}

// A node with `MinSplitDepth` plies or fewer left is never split; with more
// it is, as soon as a thread is idle.
TEST(ParallelSearch, SplitsOnlyAboveTheMinimumSplitDepth) {
  const int depth = test::sanitizedBuild() ? 6 : 8;
  for (const int minPlies : {1, 2, 4}) {
    MinSplitPlies setting(minPlies);
    SearchFixture fixture(Middlegame, 4);
    ThreadPool& pool = fixture.engine->pool;
    pool.setThreadCount(2);
    pool.statistics.reset();
    EXPECT_NE(fixture.searchToDepth(depth).best, NoMove);
    EXPECT_GT(pool.statistics.splits, 0u) << minPlies;
    EXPECT_GT(pool.statistics.shallowestDepth, OnePly * minPlies) << minPlies;
  }
}

// Scores and lines merged from several threads keep the exact mate distance
// and a line that ends in mate.
TEST(ParallelSearch, FindsMatesWithExactScoreOnSeveralThreads) {
  const struct {
    const char* fen;
    int moves;
  } cases[] = {
      {"k7/8/2K5/8/8/8/8/7R w - - 0 1", 2},
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3},
      {"7k/7p/8/8/4b3/5r2/5P1P/R5RK b - - 0 1", 3},
  };
  MinSplitPlies eager(1);
  for (const int threads : {2, 4}) {
    for (const auto& c : cases) {
      SearchFixture fixture(c.fen);
      fixture.engine->pool.setThreadCount(threads);
      const auto& result = fixture.searchToDepth(2 * c.moves + 2);
      ASSERT_FALSE(fixture.sink->pvs.empty()) << c.fen;
      const auto& pv = fixture.sink->pvs.back();
      EXPECT_EQ(pv.score, test::mateIn(c.moves)) << c.fen << " on " << threads;
      EXPECT_EQ(result.best, pv.moves.front()) << c.fen;
      Board board = fixture.engine->board;
      for (const Move m : pv.moves) {
        ASSERT_TRUE(test::isLegal(board, m)) << c.fen;
        UndoRecord undo;
        makeMove(board, m, undo);
      }
      EXPECT_TRUE(test::isCheckmate(board)) << c.fen << " on " << threads;
    }
  }
}

// Every thread probes the endgame tables, the first probes of each table
// racing to open it (run under ThreadSanitizer), and the hits of all
// threads add up.
TEST(ParallelSearch, EveryThreadProbesTheEndgameTables) {
  const std::string tables = TALVIK_SOURCE_DIR "/../shared/syzygy";
  if (!std::filesystem::exists(tables + "/KQvK.rtbw")) GTEST_SKIP() << "no tables in " << tables;
  MinSplitPlies eager(1);
  // Six pieces: captures lead into the tables.
  SearchFixture fixture("8/5k2/3p4/3r4/8/2P5/2RK4/8 w - - 0 1");
  fixture.engine->pool.setThreadCount(4);
  ASSERT_EQ(useTablePath(*fixture.engine, tables).largest, 4);
  fixture.searchToDepth(8);
  openTables("");
  std::uint64_t helperHits = 0;
  for (const auto& thread : fixture.engine->pool.threads)
    if (thread->index != 0) helperHits += thread->tableHits;
  EXPECT_GT(helperHits, 0u);
  EXPECT_GT(fixture.engine->pool.totalTableHits(), helperHits);
}

// A thread whose split point, or any split point enclosing it, has been
// refuted gives up its subtree at once.
TEST(ParallelSearch, RefutedSplitPointAbandonsTheSearchesBelowIt) {
  const struct {
    bool outerRefuted;
    bool innerRefuted;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto& c : cases) {
    SearchFixture fixture(Middlegame);
    fixture.engine->limitMode = LimitDepth;  // no clock to run out
    SearchContext ctx;
    prepareSearchContext(ctx, *fixture.engine);
    SplitPoint outer;
    SplitPoint inner;
    inner.parent = &outer;
    outer.cutoff = c.outerRefuted;
    inner.cutoff = c.innerRefuted;
    SearchThread& thread = *ctx.thread;
    thread.activeSplit = &inner;
    for (const bool isPV : {true, false}) {
      ctx.nodes = 0;
      fixture.engine->transTable.clear();
      searchNode(ctx, -100, 100, 6 * OnePly, 1, isPV, false);
      const bool abandoned = c.outerRefuted || c.innerRefuted;
      EXPECT_EQ(ctx.nodes == 0, abandoned) << c.outerRefuted << c.innerRefuted << isPV;
    }
    thread.activeSplit = nullptr;
  }
}

// White mates with Rd8, the split point's first move; every other move is
// searched 40 plies deep. Once the mate is found the threads deep in other
// moves give up and nobody takes another move: at most one move per thread
// was taken.
TEST(ParallelSearch, RefutationEndsTheOtherThreadsMoves) {
  test::Watchdog watchdog("split point with a refutation", std::chrono::seconds(120));
  SearchFixture fixture("6k1/1b3ppp/8/2n4q/8/2N2B2/PPQ2PPP/3R2K1 w - - 0 1");
  Engine& engine = *fixture.engine;
  engine.pool.setThreadCount(4);
  engine.limitMode = LimitDepth;
  SearchContext ctx;
  prepareSearchContext(ctx, engine);
  SearchThread& master = *ctx.thread;
  master.busy = 1;
  const Move mate = parseCoordinateMove(ctx.board, "d1d8", false);
  ASSERT_NE(mate, NoMove);
  MovePicker picker;
  initPicker(picker, false, mate, NoMove, NoMove, NoMove, master.history);
  SplitOffer offer;
  offer.picker = &picker;
  offer.node.beta = 1;
  offer.node.depth = 40 * OnePly;
  offer.node.ply = 1;
  int bestScore = 0;
  Move bestMove = NoMove;
  ASSERT_TRUE(split(ctx, offer, bestScore, bestMove));
  EXPECT_EQ(bestMove, mate);
  EXPECT_EQ(bestScore, MateScore - 2);
  const SplitPoint& sp = master.splits[0];
  EXPECT_TRUE(sp.cutoff);
  EXPECT_EQ(sp.slavesMask, 0u);
  EXPECT_LE(sp.moveCount, static_cast<int>(engine.pool.threads.size()));
  EXPECT_EQ(master.splitCount, 0);
  EXPECT_EQ(master.activeSplit, nullptr);
  for (const auto& thread : engine.pool.threads) {
    if (thread.get() != &master) {
      EXPECT_FALSE(thread->busy);
    }
  }
  master.busy = 0;
}

// ---------------------------------------------------------------------------
// Searches interrupted by a GUI at random moments.

enum class Limit { Depth, MoveTime, Infinite, Ponder };
enum class GuiCommand { None, Stop, PonderHit, Quit, Threads };

// What the protocols do on these commands while a search runs.
void sendCommand(Engine& engine, GuiCommand command, int threads) {
  switch (command) {
    case GuiCommand::Stop:
      engine.stopRequest.replace(StopNone, engine.pondering ? StopPonder : StopNormal);
      forcePoll(engine);
      break;
    case GuiCommand::PonderHit:
      // As the protocols do: the budget starts at the hit.
      restartTimeBudget(engine, engine.clockMs[engine.rootSide], engine.movesToGo);
      engine.pondering = 0;
      forcePoll(engine);
      break;
    case GuiCommand::Quit:
      engine.requestAbort();
      break;
    case GuiCommand::Threads:
      engine.pool.setThreadCount(threads);
      break;
    case GuiCommand::None:
      break;
  }
}

// One search with a command from another thread after `delayUs` of it.
struct Round {
  const std::string* fen;
  int threads;
  Limit limit;
  int value;  // depth, or milliseconds
  GuiCommand command;
  int delayUs;
  int threadsCommanded;
};

std::string describe(const Round& round, int number) {
  std::ostringstream text;
  text << "round " << number << " on " << round.threads << " threads: " << *round.fen << " limit "
       << static_cast<int>(round.limit) << " " << round.value << ", command " << static_cast<int>(round.command) << " after "
       << round.delayUs << " us";
  return text.str();
}

Round drawRound(std::mt19937& random, const std::vector<std::string>& fens) {
  auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  Round round;
  round.fen = &fens[static_cast<std::size_t>(pick(0, static_cast<int>(fens.size()) - 1))];
  const int threadChoices[] = {2, 4, 8};
  round.threads = threadChoices[pick(0, 2)];
  round.threadsCommanded = threadChoices[pick(0, 2)];
  round.limit = static_cast<Limit>(pick(0, 3));
  round.value = round.limit == Limit::Depth ? pick(2, test::sanitizedBuild() ? 5 : 7) : pick(1, 20);
  round.delayUs = pick(0, 15000);
  // Infinite and ponder searches end only on a command.
  switch (round.limit) {
    case Limit::Infinite: round.command = pick(0, 1) ? GuiCommand::Stop : GuiCommand::Quit; break;
    case Limit::Ponder: round.command = static_cast<GuiCommand>(pick(1, 3)); break;
    default: round.command = static_cast<GuiCommand>(pick(0, 4)); break;
  }
  return round;
}

TEST(ParallelSearchStress, RandomStopsPonderhitsQuitsAndThreadCounts) {
  test::Watchdog watchdog("interrupted parallel searches", std::chrono::seconds(120));
  MinSplitPlies eager(1);
  std::vector<std::string> fens = {Middlegame, Kiwipete, RookEnding};
  for (const auto& reference : test::perftReferences()) fens.push_back(reference.fen);
  SearchFixture fixture;
  Engine& engine = *fixture.engine;
  engine.ponderEnabled = 1;
  std::mt19937 random(20240611);
  const int rounds = 300;
  int searchesWithSplits = 0;
  for (int number = 0; number < rounds; ++number) {
    const Round round = drawRound(random, fens);
    const std::string what = describe(round, number);
    fixture.setPosition(*round.fen);
    engine.pool.setThreadCount(round.threads);
    engine.pool.statistics.reset();
    Board root = engine.board;
    if (round.limit == Limit::Ponder) {
      // The GUI has played the predicted reply: the first legal move.
      const auto moves = test::legalMoves(root);
      if (moves.empty()) continue;
      engine.playMove(moves.front());
      root = engine.board;
    }
    engine.limitMode = round.limit == Limit::Depth      ? LimitDepth
                       : round.limit == Limit::Infinite ? LimitInfinite
                                                        : LimitMoveTime;
    engine.depthLimit = round.value;
    engine.moveTimeUs = round.value * 1000;

    std::atomic<bool> searchOver{false};
    const int startsBefore = fixture.sink->searchStarts();
    std::thread gui([&engine, &round, &searchOver, &fixture, startsBefore] {
      while (fixture.sink->searchStarts() == startsBefore && !searchOver)
        std::this_thread::sleep_for(std::chrono::microseconds(20));
      std::this_thread::sleep_for(std::chrono::microseconds(round.delayUs));
      sendCommand(engine, round.command, round.threadsCommanded);
    });
    const int reportsBefore = fixture.sink->bestMoveReports;
    fixture.sink->pvs.clear();
    searchRoot(engine, round.limit == Limit::Ponder);
    searchOver = true;
    gui.join();
    watchdog.feed();

    ASSERT_EQ(fixture.sink->bestMoveReports, reportsBefore + 1) << what;
    const auto& result = fixture.sink->bestMove;
    const bool hasMoves = !test::legalMoves(root).empty();
    if (result.best != NoMove) {
      EXPECT_TRUE(test::isLegal(root, result.best)) << what;
    } else {
      EXPECT_TRUE(result.kind == StopAbort || !hasMoves) << what;
    }
    if (engine.pool.statistics.splits > 0) ++searchesWithSplits;
  }
  // The run exercised split points, not just single-threaded searches.
  EXPECT_GT(searchesWithSplits, rounds / 4);
}

}  // namespace
}  // namespace talvik
