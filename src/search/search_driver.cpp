#include "search/search_driver.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "board/makemove.h"
#include "board/movegen.h"
#include "book/opening_book.h"
#include "search/engine.h"
#include "search/pv_continuation.h"
#include "search/root_search.h"
#include "search/search_context.h"
#include "search/table_probes.h"
#include "search/time_control.h"

namespace talvik {

namespace {

constexpr std::uint32_t DefaultPollInterval = 4096;
constexpr std::uint64_t CurrentMoveReportsAfterUs = 2000000;
constexpr double IterationTimeShare = 0.6;  // no new iteration once this share of the budget is gone
constexpr int MateEndsSearchIteration = 6;
constexpr int MaxPvLines = 32;
// Positions more than a hundred plies back are past the fifty-move horizon
// and cannot repeat; copying at most 128 keeps room for the deepest path.
constexpr int RepetitionKeysCopied = 128;

// One search, from the limits to the reported result.
struct SearchRun {
  Engine& engine;
  SearchContext& ctx;
  RootMoves& root;
  int iterationLimit = MaxPly;
  int completedDepth = 0;
  Move best = NoMove;
  Move ponder = NoMove;
};

// Sets the node budget (and a poll interval fine enough for it) for the
// limit mode; returns the iteration limit. The time budget is set before the
// search reports its start (startTimeBudget): a ponder hit may replace it
// from then on.
int applyLimits(Engine& engine, SearchContext& ctx) {
  int limit = MaxPly;
  if (engine.limitMode == LimitDepth) limit = std::clamp(engine.depthLimit, 1, MaxPly);
  if (engine.limitMode == LimitNodes && engine.nodeLimit < engine.pollInterval)
    engine.pollInterval = static_cast<std::uint32_t>(engine.nodeLimit);
  // Depth and node limits given together with another limit end the search
  // too, whichever comes first.
  if (engine.depthCap > 0) limit = std::min(limit, engine.depthCap);
  if (engine.nodeCap != 0 && engine.nodeCap < engine.pollInterval)
    engine.pollInterval = static_cast<std::uint32_t>(engine.nodeCap);
  engine.reportCurrMove = 0;
  engine.transTable.advanceGeneration();
  ++engine.searchesThisGame;
  ctx.useNodeBudget = engine.limitMode == LimitNodes || engine.strengthNodes != 0 || engine.nodeCap != 0;
  return limit;
}

void storeRootLine(PvLine& line, const SearchContext& ctx, int depth) {
  line.length = ctx.pvLength[0];
  std::memcpy(line.moves, ctx.pvTable[0], sizeof line.moves[0] * line.length);
  line.depth = depth;
}

// Reports the line as the search found it, continued from the table where
// it stops short of the iteration's depth. Between root searches the
// context's board is the root position.
void reportLine(Engine& engine, const SearchContext& ctx, int number, const PvLine& line, int bound) {
  Move moves[MaxPly];
  std::copy_n(line.moves, std::min(line.length, MaxPly), moves);
  int length = std::min(line.length, MaxPly);
  if (engine.continueLines) length = continueLine(engine.transTable, ctx.board, moves, length, line.depth);
  // A line cut by a table hit reaches no deeper than the hit, but the
  // iteration stands for its whole depth.
  const int selDepth = std::max(ctx.selDepth, line.depth);
  engine.reportSink->reportPv(number, line.depth, reportedRootScore(engine, line.score), moves, length,
                              engine.pool.totalNodes(), elapsedUs(engine), selDepth, bound);
}

// Multi-PV lines, deepest first, then best score first.
void sortLines(Engine& engine) {
  for (int i = 0; i < engine.pvLineCount; ++i)
    for (int j = i + 1; j < engine.pvLineCount; ++j) {
      const PvLine& a = engine.pvLines[i];
      const PvLine& b = engine.pvLines[j];
      if (b.depth > a.depth || (b.depth == a.depth && b.score > a.score)) std::swap(engine.pvLines[i], engine.pvLines[j]);
    }
}

// Reports line `current` in single-PV mode, or every line (numbered from 1)
// in multi-PV mode; `bound` belongs to the line just searched.
void reportLines(Engine& engine, const SearchContext& ctx, int current, int bound) {
  if (engine.pvLineCount <= 1) {
    reportLine(engine, ctx, 0, engine.pvLines[std::max(current, 0)], bound);
    return;
  }
  for (int i = 0; i < engine.pvLineCount; ++i)
    reportLine(engine, ctx, i + 1, engine.pvLines[i], i == current ? bound : BoundExact);
}

// Searches line `index` of an iteration until its window holds. False when
// the search was stopped meanwhile.
bool searchLine(SearchRun& run, int index, int iteration) {
  Engine& engine = run.engine;
  SearchContext& ctx = run.ctx;
  PvLine& line = engine.pvLines[index];
  AspirationWindow window = initialWindow(iteration, line.previousScore);
  for (;;) {
    const int result = searchRootMoves(ctx, run.root, iteration, window.low, window.high);
    if (engine.stopRequest != StopNone) {
      // A root move searched to the end before the stop is worth keeping.
      // After an abort the GUI has moved on (a takeback, a new game, quit):
      // a line about the old position would be shown against the new one.
      if (ctx.pvLength[0] > 0) {
        storeRootLine(line, ctx, iteration);
        line.score = result;
        if (engine.pvLineCount > 1) sortLines(engine);
        if (engine.stopRequest != StopAbort)
          reportLines(engine, ctx, engine.pvLineCount > 1 ? -1 : index, BoundExact);
      }
      return false;
    }
    if (engine.currMoveAfter2s && elapsedUs(engine) > CurrentMoveReportsAfterUs) engine.reportCurrMove = 1;

    line.score = result;
    if (ctx.pvLength[0] > 0) storeRootLine(line, ctx, iteration);
    const int bound = result <= window.low ? BoundUpper : result >= window.high ? BoundLower : BoundExact;
    if (bound != BoundExact) {
      widenWindow(window, result);
      if ((engine.reportBounds && engine.reportCurrMove) || engine.testSuiteActive)
        reportLines(engine, ctx, index, bound);
      continue;
    }

    const bool lastLine = index + 1 == engine.pvLineCount;
    // Exclude this line's move from the next lines (before the lines are
    // resorted, `line` is the one just searched).
    if (!lastLine && line.length > 0 && engine.excludedCount < MaxPvLines)
      engine.excludedMoves[engine.excludedCount++] = line.moves[0];
    if (engine.pvLineCount == 1) {
      reportLines(engine, ctx, index, BoundExact);
    } else {
      sortLines(engine);
      if (lastLine || engine.reportCurrMove) reportLines(engine, ctx, -1, BoundExact);
    }
    return true;
  }
}

// The clock rules between iterations: a forced move, a mate found deep
// enough to trust, or too little time left for another iteration.
bool iterationEndsClockSearch(const SearchRun& run, int iteration) {
  const Engine& engine = run.engine;
  if (engine.limitMode != LimitClock || engine.pondering || engine.stopRequest != StopNone) return false;
  if (run.root.count == 1) return true;
  if (iteration >= MateEndsSearchIteration && std::abs(engine.pvLines[0].score) > MateThreshold) return true;
  // Measured from where the budget began (the ponder hit, after pondering).
  const double budget = static_cast<double>(engine.timeBudgetUs.load()) - engine.budgetStartUs.load();
  return iteration >= 2 && static_cast<double>(budgetElapsedUs(engine)) > IterationTimeShare * budget;
}

// "go mate N": a mate in N moves or fewer has been proved.
bool mateLimitReached(const Engine& engine) {
  return engine.mateMoves > 0 && engine.pvLines[0].score >= MateScore - (2 * engine.mateMoves - 1);
}

void takeBestLine(SearchRun& run) {
  const PvLine& line = run.engine.pvLines[0];
  if (line.length == 0) return;
  run.best = line.moves[0];
  run.ponder = line.length > 1 ? line.moves[1] : NoMove;
  moveToFront(run.root, run.best);
}

void iterate(SearchRun& run) {
  Engine& engine = run.engine;
  int iteration = 1;
  for (; iteration <= run.iterationLimit; ++iteration) {
    engine.excludedCount = 0;
    for (int i = 0; i < engine.pvLineCount; ++i) engine.pvLines[i].previousScore = engine.pvLines[i].score;
    bool completed = true;
    for (int index = 0; index < engine.pvLineCount && completed; ++index) completed = searchLine(run, index, iteration);
    if (completed) {
      run.completedDepth = iteration;
      if (iterationEndsClockSearch(run, iteration) || mateLimitReached(engine)) requestStop(engine);
    }
    takeBestLine(run);
    if (engine.stopRequest != StopNone) return;
  }
  requestStop(engine);  // the iteration limit is reached
}

// The end of every search: steps that play, take back and report.
void finishSearch(SearchRun& run, int depth, int selDepth, std::uint64_t nodes, std::uint64_t elapsed) {
  Engine& engine = run.engine;
  if (run.best == NoMove && run.root.count > 0) run.best = run.root.moves[0].move;
  if (engine.stopRequest == StopAbort) {
    // Quit or a new game: nothing is played (the protocol may still name
    // the move it would have chosen).
    engine.searching = 0;
    if (engine.pondering) {
      engine.pondering = 0;
      if (engine.playsBestMove) engine.takeBack();
    }
    engine.reportSink->reportBestMove(StopAbort, run.best, run.ponder, depth, selDepth, nodes, elapsed);
    return;
  }
  if (engine.ponderEnabled && run.ponder == NoMove && run.best != NoMove) {
    // The line's continuation from the table where it has one. The probe of
    // choosePonderMove runs all the same, so the table ends as it always did.
    run.ponder = choosePonderMove(engine, run.best);
    Move line[2] = {run.best, NoMove};
    if (engine.continueLines && continueLine(engine.transTable, engine.board, line, 1, 2) == 2) run.ponder = line[1];
  }

  if (engine.pondering) {
    // The search ran on the predicted reply, which the protocol played on the
    // game: take it back. Unless "stop" ended it, the search ended on its own
    // and its result waits for ponderhit or stop.
    engine.pondering = 0;
    if (engine.stopRequest != StopPonder) engine.stopRequest = StopPonderDone;
    if (engine.playsBestMove) engine.takeBack();
  } else if (run.best != NoMove && engine.limitMode != LimitInfinite && engine.playsBestMove) {
    engine.playMove(run.best);
  }
  engine.reportSink->reportBestMove(engine.stopRequest, run.best, run.ponder, depth, selDepth, nodes, elapsed);
  engine.searching = 0;
}

// "go searchmoves": only the listed moves are searched; when none of them is
// legal here, all moves are.
void restrictRootMoves(const Engine& engine, RootMoves& root) {
  const Move* allowed = engine.searchMoves;
  const Move* allowedEnd = allowed + std::clamp(engine.searchMoveCount, 0, static_cast<int>(std::size(engine.searchMoves)));
  int kept = 0;
  for (int i = 0; i < root.count; ++i)
    if (std::find(allowed, allowedEnd, root.moves[i].move) != allowedEnd) root.moves[kept++] = root.moves[i];
  if (kept > 0) root.count = kept;
}

}  // namespace

void prepareSearchContext(SearchContext& ctx, Engine& engine) {
  if (engine.pool.mainThread == nullptr) engine.pool.createThreads();
  ctx.engine = &engine;
  ctx.thread = engine.pool.mainThread;
  ctx.pool = &engine.pool;
  ctx.evalContext = &engine.evalContext;
  ctx.transTable = &engine.transTable;
  ctx.historyBase = engine.pool.mainThread->history;
  ctx.nodes = 0;
  ctx.selDepth = 0;
  ctx.board = engine.board;
  const int copied = std::min(engine.repCount, RepetitionKeysCopied);
  std::memcpy(ctx.repKeys, engine.repKeys + (engine.repCount - copied), sizeof ctx.repKeys[0] * copied);
  ctx.repCount = copied;
  std::memset(ctx.moveStack, 0, sizeof ctx.moveStack);
  std::memset(ctx.pvLength, 0, sizeof ctx.pvLength);
}

Move choosePonderMove(Engine& engine, Move best) {
  Board board = engine.board;
  UndoRecord undo;
  makeMove(board, best, undo);
  const bool inCheck = sideToMoveInCheck(board);
  MoveList legal;
  const int count = generateLegal(board, legal.entries, inCheck);
  if (count == 0) return NoMove;
  Move tableMove = NoMove;
  int score = 0;
  engine.transTable.probe(board.hashKey, 0, 0, -FullWindow, FullWindow, tableMove, score);
  for (int i = 0; i < count && tableMove != NoMove; ++i)
    if (legal.entries[i].move == tableMove) return tableMove;
  return legal.entries[0].move;
}

void searchRoot(Engine& engine, bool ponder) {
  // A change of the thread count waits for the end of the search.
  PoolSearchScope poolScope(engine.pool);
  // A stop can only be meant for this search from here on.
  engine.stopRequest = StopNone;
  markSearchStart(engine);
  const int side = static_cast<int>(engine.board.sideToMove);
  engine.rootSide = side;
  engine.evalContext.rootSide = side;
  // "go ponder" ponders whatever the Ponder option says: the option only
  // tells the engine that the GUI may ask for it.
  engine.pondering = ponder;
  startTimeBudget(engine);
  engine.searching = 1;
  engine.reportSink->reportSearchStart();

  SearchContext ctx;
  prepareSearchContext(ctx, engine);
  RootMoves root;
  SearchRun run{engine, ctx, root};

  // No legal move: mate or stalemate on the board.
  generateRootMoves(ctx, root);
  restrictRootMoves(engine, root);
  if (root.count == 0) {
    if (engine.pondering) {
      engine.stopRequest.replace(StopNone, StopNormal);
      finishSearch(run, 0, 0, 0, 0);
      return;
    }
    engine.reportSink->reportBestMove(StopNormal, NoMove, NoMove, 0, 0, 0, 0);
    engine.searching = 0;
    return;
  }

  // A book move is played without searching.
  if (engine.ownBook && engine.gameMoves.size() < static_cast<std::size_t>(std::max(engine.bookMaxMoves, 0))) {
    const Move bookMove = probeBook(engine.bookEntries, engine.polyglotEntries, engine.board, engine.chess960 != 0,
                                    engine.bookSelectivity, libraryRandom);
    if (bookMove != NoMove && containsMove(root, bookMove)) {
      engine.pollInterval = DefaultPollInterval;
      run.best = bookMove;
      engine.stopRequest.replace(StopNone, StopNormal);
      finishSearch(run, 1, 0, 0, 0);
      return;
    }
  }

  // Limits, ordering tables, the root moves the endgame tables keep, result lines.
  run.iterationLimit = applyLimits(engine, ctx);
  for (const auto& thread : engine.pool.threads) thread->clearForSearch();
  prepareTables(engine, root);
  const int wanted = engine.limitMode == LimitClock ? 1 : std::clamp(engine.multiPV, 1, MaxPvLines);
  engine.pvLineCount = std::min(wanted, root.count);
  for (int i = 0; i < engine.pvLineCount; ++i) {
    PvLine& line = engine.pvLines[i];
    line.score = line.previousScore = line.depth = line.length = 0;
  }
  engine.excludedCount = 0;

  // First order, then the iterations.
  orderRootMoves(ctx, root);
  iterate(run);
  finishSearch(run, run.completedDepth, ctx.selDepth, ctx.nodes, elapsedUs(engine));
}

}  // namespace talvik
