// The quiescence search: captures (and, at its first ply, quiet checks) below
// the horizon of the alpha-beta search, so that the static evaluation is only
// taken in quiet positions. In check every evasion is searched.
#pragma once

#include "search/search_context.h"

namespace talvik {

// `depth` is 0 when entered from the alpha-beta search (the driver's root
// ordering uses -1) and falls by one per ply; quiet checks are tried only
// while it is 0 or more. A stopped search returns 0, which callers discard.
int quiesce(SearchContext& ctx, int alpha, int beta, int depth, int ply, bool isPV, bool inCheck);

// quiesce behind the ply limit and the stop poll: at ply 127 the position is
// only evaluated.
int quiesceGuarded(SearchContext& ctx, int alpha, int beta, int depth, int ply, bool isPV, bool inCheck);

}  // namespace talvik
