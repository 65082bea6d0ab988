#include "protocol/configured_settings.h"

#include "base/logger.h"
#include "eval/personality_file.h"
#include "search/engine.h"
#include "search/table_probes.h"

namespace talvik {

void openConfiguredBook(Engine& engine) {
  EngineSettings& s = engine.settings;
  if (s.book != 1) return;
  // A missing file leaves the book off; Book stays set, so that a book file
  // the GUI names later is opened.
  loadBook(engine, s.bookFile);
  engine.bookSelectivity = s.bookSelectivity;
}

void openConfiguredTables(Engine& engine) {
  if (!engine.settings.syzygyPath.empty()) useTablePath(engine, engine.settings.syzygyPath);
}

void loadConfiguredPersonality(Engine& engine) {
  const EngineSettings& s = engine.settings;
  if (s.usePersonality == 0) return;
  engine.usePersonalityActive = 1;
  loadPersonality(engine.evalContext, s.personalityFile);
}

void startConfiguredThreads(Engine& engine) {
  const EngineSettings& s = engine.settings;
  logInfo("Using %d threads", s.maxThreads);
  engine.pool.setThreadCount(s.maxThreads);
  minSplitDepth = 2 * s.minSplitDepth;
}

}  // namespace talvik
