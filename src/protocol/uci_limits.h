// The search limits of a UCI "go" command.
#pragma once

#include "protocol/line_tokenizer.h"

namespace talvik {

class Engine;

// Reads the words after "go" into the engine's limits and returns the search
// mode (1 for "go ponder"). Every limit named applies together: the search
// ends at the first one reached (the clock or a fixed time set the mode, a
// depth or node count named with them caps it, "mate N" ends it once such a
// mate is proved). A "go" naming no limit keeps the previous limits. Values
// not named keep theirs, except that moves-to-go starts at 0 (sudden death),
// the ponder flag is cleared and "searchmoves" (the legal moves listed after
// it) holds for this search only. Unknown words are skipped; a limit word
// without its number ends the command.
int applyGoParameters(Engine& engine, LineTokenizer& tokens);

}  // namespace talvik
