// The search limits of a UCI "go" command.
#pragma once

#include "protocol/line_tokenizer.h"

namespace talvik {

class Engine;

// Reads the words after "go" into the engine's limits and returns the search
// mode (1 for "go ponder"). Limits the command does not name keep their
// values, the limit mode included, except that moves-to-go starts at 0
// (sudden death) and the ponder flag is cleared. Unknown words are skipped
// (so a searchmoves list is ignored); a limit word without its number ends
// the command.
int applyGoParameters(Engine& engine, LineTokenizer& tokens);

}  // namespace talvik
