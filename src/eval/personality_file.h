// Personality files: key=value lines that replace some evaluation weights
// and switch on the scalings only a personality provides.
#pragma once

#include <string>

#include "eval/personality.h"

namespace talvik {

// Reads `fileName` into the record (a missing key takes its personality
// default, which is not always the built-in one) and installs it. When the
// file cannot be opened, an empty name included, the built-in defaults are
// installed, the personality is switched off and false is returned.
bool loadPersonality(Personality& personality, const std::string& fileName);

}  // namespace talvik
