// Configuration and personality files: the same key=value reader, the
// settings table with its clamps, and a personality installed from the text.
#include "app/settings.h"
#include "base/config.h"
#include "eval/parameters.h"
#include "eval/personality_file.h"
#include "search/engine.h"
#include "support.h"

using namespace talvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = fuzz::engine();
  Config config;
  parseConfigText(config, std::string(fuzz::text(data, size)));
  EngineSettings settings;
  applySettings(settings, config);
  loadPersonality(engine.evalContext, fuzz::scratchFile(data, size));
  for (const auto& [key, value] : config.pairs) setParameter(engine.evalContext, key, value);
  installParameters(engine.evalContext, false);
  return 0;
}
