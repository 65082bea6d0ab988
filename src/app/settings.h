// Reading talvik.ini into the engine's settings.
#pragma once

#include <string>

#include "base/config.h"
#include "search/engine.h"

namespace talvik {

inline constexpr const char* ConfigFileName = "talvik.ini";

// Applies the pairs of a configuration file: each key replaces its preset,
// a key missing from the file takes its "absent" value, then clamps apply.
void applySettings(EngineSettings& settings, const Config& config);
// Reads `fileName`; when it cannot be read every setting keeps its preset and
// false is returned.
bool readSettings(EngineSettings& settings, const std::string& fileName);

}  // namespace talvik
