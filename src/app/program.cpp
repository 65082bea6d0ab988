#include "app/program.h"

#include <sys/resource.h>

#include <cstdio>
#include <memory>

#include "app/build_info.h"
#include "app/command_line.h"
#include "app/logger.h"
#include "app/settings.h"
#include "protocol/frontend.h"
#include "search/engine.h"

namespace talvik {

namespace {

constexpr rlim_t StackSize = 4 * 1024 * 1024;

// Raises the soft stack limit to 4 MB when it is lower; false when that
// failed. (The warning is logged once the log is open.)
bool raiseStackLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur >= StackSize) return true;
  limit.rlim_cur = StackSize;
  return setrlimit(RLIMIT_STACK, &limit) == 0;
}

// Copies the configured settings into the engine's working fields.
void applySettingsToEngine(Engine& engine) {
  const EngineSettings& s = engine.settings;
  engine.useNullMove = s.useNullMovePruning != 0;
  engine.useLMR = s.useLMR != 0;
  engine.useInputThread = static_cast<std::uint32_t>(s.useInputThread);
  engine.uciLimitMode = s.uciLimitMode;
  engine.bookSelectivity = s.bookSelectivity;
  engine.pool.setThreadCount(s.maxThreads);
  drawScore = s.drawScore;
}

int runTool(Engine& engine, const ToolRequest& request) {
  switch (request.tool) {
    case Tool::Help:
      std::fputs(helpText().c_str(), stdout);
      return 0;
    default:
      return runProtocolMode(engine);
  }
}

}  // namespace

int runProgram(const std::vector<std::string>& args) {
  const bool stackRaised = raiseStackLimit();
  auto engine = std::make_unique<Engine>();
  const bool configFound = readSettings(engine->settings, ConfigFileName);
  configureLog(engine->settings.logLevel, engine->settings.logFormat, engine->settings.logPid);
  if (!stackRaised) logMessage(LogWarning, "unable to set program stack limit");
  if (!configFound) logMessage(LogWarning, "Config file %s not found, using default parameters", ConfigFileName);
  logInfo("%s %s %s", ProgramName, ProgramVersion, wordSizeText().c_str());
  logInfo("Compiled on %s", buildStamp().c_str());
  installProtocolSelector(*engine);
  applySettingsToEngine(*engine);
  engine->quitRequested = 0;

  const ToolRequest request = parseCommandLine(args);
  if (request.tool == Tool::Unknown)
    logMessage(LogWarning, "Unknown command line parameter '%s'", args[0].c_str());
  const int status = request.tool == Tool::Protocol || request.tool == Tool::Unknown ? runProtocolMode(*engine)
                                                                                       : runTool(*engine, request);
  engine.reset();
  logInfo("End.");
  closeLog();
  return status;
}

}  // namespace talvik
