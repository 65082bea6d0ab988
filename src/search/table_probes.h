// The Syzygy endgame tables in the search: the path setting, the root moves
// they keep, the value of a probed node and the score a root line reports.
#pragma once

#include <string>

#include "board/move.h"
#include "search/root_search.h"
#include "search/search_context.h"
#include "tablebase/syzygy_tables.h"

namespace talvik {

class Engine;

// A table win: above every evaluation, below every mate score. A win found
// in the search at ply p scores TableWinScore - p, so that the nearer one
// is preferred.
inline constexpr int TableWinScore = MateThreshold - 2 * MaxPly;

// Opens the tables of `path` (the setting SyzygyPath) and logs the path and
// what was found. Never during a search.
TableSet useTablePath(Engine& engine, const std::string& path);

// Before a search's iterations: the piece limit of the probes and, when the
// tables cover the root, the root moves cut to those that keep the best
// table result. Call it after the threads' counters are cleared.
void prepareTables(Engine& engine, RootMoves& root);

// The table value of a node reached by a capture or pawn move, when the
// tables answer for it. Counts a table hit.
bool probeTableNode(SearchContext& ctx, int depth, int ply, int& value);

// The score a root line reports: the table result when the tables ranked
// the root and the search found no mate.
int reportedRootScore(const Engine& engine, int score);

}  // namespace talvik
