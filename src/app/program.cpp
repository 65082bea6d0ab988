#include "app/program.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "app/command_line.h"
#include "app/settings.h"
#include "base/build_info.h"
#include "base/logger.h"
#include "base/output.h"
#include "protocol/frontend.h"
#include "search/engine.h"
#include "search/game.h"
#include "tools/perft.h"
#include "tools/perft_suite.h"
#include "tools/tool_commands.h"

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

// -perft, -divide and -perftd: on the start position or the -fen position.
int runPerftTool(Engine& engine, const ToolRequest& request) {
  engine.initialise(engine.settings.hashMb);
  engine.newGame();
  if (request.fenGiven && !setPositionFromFen(engine, request.fen)) {
    writeStandardOutput("Bad FEN string !\n");
    engine.tearDown();
    return 1;
  }
  if (request.tool == Tool::Perft) runPerft(engine, request.depth);
  else if (request.tool == Tool::Divide) runDivide(engine, request.depth);
  else runPerftDetailed(engine, request.depth);
  engine.tearDown();
  return 0;
}

int runTool(Engine& engine, const ToolRequest& request) {
  switch (request.tool) {
    case Tool::Help:
      std::fputs(helpText().c_str(), stdout);
      return 0;
    case Tool::Perft:
    case Tool::Divide:
    case Tool::PerftDetailed:
      return runPerftTool(engine, request);
    case Tool::PerftSuite:
      // A missing file is logged; the tool still ends with success.
      runPerftSuite(engine, request.file, request.depth);
      engine.tearDown();
      return 0;
    case Tool::TestSuite:
      return commandTestSuite(engine, request);
    case Tool::Benchmark:
      return commandBenchmark(engine, request);
    case Tool::EvalSuite:
      return commandEvalSuite(engine, request);
    case Tool::CheckFenSuite:
      return commandCheckFenSuite(engine, request);
    case Tool::TestSee:
      return commandTestSee(engine, request);
    case Tool::BuildBook:
      return commandBuildBook(engine, request);
    default:
      return runProtocolMode(engine);
  }
}

}  // namespace

int runProgram(const std::vector<std::string>& args) {
  const bool stackRaised = raiseStackLimit();
  // A GUI that closes its end of the pipe must not kill the engine mid-line:
  // writes then fail quietly and the end of input ends the run.
  std::signal(SIGPIPE, SIG_IGN);
  auto engine = std::make_unique<Engine>();
  const bool configFound = readSettings(engine->settings, ConfigFileName);
  configureLog(engine->settings.logLevel, engine->settings.logFormat, engine->settings.logPid);
  if (!stackRaised) logMessage(LogWarning, "unable to set program stack limit");
  if (!configFound) logMessage(LogWarning, "Config file %s not found, using default parameters", ConfigFileName);
  logInfo("%s %s %s", ProgramName, ProgramVersion, wordSizeText().c_str());
  logInfo("Compiled on %s", buildStamp().c_str());
  setProtocol(*engine, SelectorProtocolId);
  applySettingsToEngine(*engine);
  engine->quitRequested = 0;

  const ToolRequest request = parseCommandLine(args);
  if (request.tool == Tool::Unknown)
    logMessage(LogWarning, "Unknown command line parameter '%s'", args[0].c_str());
  const int status = request.tool == Tool::Protocol || request.tool == Tool::Unknown ? runProtocolMode(*engine)
                                                                                       : runTool(*engine, request);
  engine->quitRequested = 1;
  engine.reset();
  logInfo("End.");
  closeLog();
  return status;
}

}  // namespace talvik
