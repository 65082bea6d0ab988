#include "search/table_probes.h"

#include <algorithm>
#include <cstdlib>

#include "base/logger.h"
#include "search/draw_rules.h"
#include "search/engine.h"
#include "search/thread_pool.h"

namespace talvik {

namespace {

// Whether a position since the last capture or pawn move has occurred
// before: the tables then cannot count on the full fifty moves.
bool repeatedSinceZeroing(const Engine& engine) {
  const int window = std::min(static_cast<int>(engine.board.halfmoveClock), static_cast<int>(engine.repCount));
  const std::uint64_t* first = engine.repKeys + (engine.repCount - window);
  const std::uint64_t* last = engine.repKeys + engine.repCount;
  for (const std::uint64_t* key = first; key != last; ++key)
    if (*key == engine.board.hashKey || std::find(key + 1, last, *key) != last) return true;
  return false;
}

// The score of a table result from the view of the side to move at `ply`.
int resultScore(TableResult result, const Board& board, int rootSide, int ply) {
  if (result == TableWin) return TableWinScore - ply;
  if (result == TableLoss) return ply - TableWinScore;
  return drawValue(board, rootSide);
}

}  // namespace

TableSet useTablePath(Engine& engine, const std::string& path) {
  engine.settings.syzygyPath = path;
  const TableSet set = openTables(path);
  logInfo("Syzygy path \"%s\": %d tables (%d WDL, %d DTZ) of up to %d pieces", path.c_str(), set.wdlCount,
          set.wdlCount, set.dtzCount, set.largest);
  return set;
}

void prepareTables(Engine& engine, RootMoves& root) {
  const Board& board = engine.board;
  engine.tableRootRanked = 0;
  engine.tableRule50 = engine.settings.syzygy50MoveRule != 0;
  engine.tableProbeDepth = OnePly * std::clamp(engine.settings.syzygyProbeDepth, 1, 100);
  const int limit = std::min(std::clamp(engine.settings.syzygyProbeLimit, 0, 7), largestTable());
  // A position no game reaches is never probed, nor anything below it.
  engine.tablePieces = limit > 0 && reachablePosition(board) ? limit : 0;
  if (engine.tablePieces == 0 || !tablesCoverRoot(board, limit)) return;

  RankedMove ranked[MaxMoves];
  const int count = rankRootMoves(board, repeatedSinceZeroing(engine), engine.tableRule50, ranked);
  if (count == 0) return;
  auto rankOf = [&](Move move) {
    for (int i = 0; i < count; ++i)
      if (ranked[i].move == move) return ranked[i].rank;
    return -1000000;
  };
  // Among the moves left to search ("go searchmoves"), those of the best rank.
  int best = -1000000;
  for (int i = 0; i < root.count; ++i) best = std::max(best, rankOf(root.moves[i].move));
  int kept = 0;
  for (int i = 0; i < root.count; ++i)
    if (rankOf(root.moves[i].move) == best) root.moves[kept++] = root.moves[i];
  root.count = kept;
  engine.tableRootRanked = 1;
  engine.tableRootScore = resultScore(rankResult(best, engine.tableRule50), board, engine.rootSide, 0);
  // The root probes count as table hits too.
  engine.pool.mainThread->tableHits = static_cast<std::uint64_t>(count);
}

bool probeTableNode(SearchContext& ctx, int depth, int ply, int& value) {
  const Engine& engine = *ctx.engine;
  const Board& board = ctx.board;
  const int pieces = popCount(board.occupied);
  if (pieces > engine.tablePieces || (pieces == engine.tablePieces && depth < engine.tableProbeDepth)) return false;
  TableResult result;
  if (!probeWdl(board, result)) return false;
  ctx.thread->tableHits.increment();
  if (!engine.tableRule50) result = result > TableDraw ? TableWin : result < TableDraw ? TableLoss : TableDraw;
  value = resultScore(result, board, engine.rootSide, ply);
  return true;
}

int reportedRootScore(const Engine& engine, int score) {
  return engine.tableRootRanked && std::abs(score) <= MateThreshold ? engine.tableRootScore : score;
}

}  // namespace talvik
