// The process-wide evaluation parameter set and its installation.
#pragma once

#include <string>

#include "eval/personality.h"

namespace talvik {

// Resets every parameter to the built-in defaults; with `fromPersonality`
// the record's eighteen file-settable values then override them. Rebuilds
// the derived tables.
void installParameters(Personality& personality, bool fromPersonality);
// Sets one named parameter of the process-wide set from a decimal text until
// the next install; unknown names change nothing.
void setParameter(Personality& personality, const std::string& name, const std::string& value);

}  // namespace talvik
