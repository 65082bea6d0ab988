#include "protocol/frontend.h"

#include <unistd.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "base/build_info.h"
#include "base/logger.h"
#include "base/output.h"
#include "protocol/input_reader.h"
#include "protocol/input_thread.h"
#include "protocol/protocol_selector.h"
#include "protocol/uci_protocol.h"
#include "protocol/xboard_protocol.h"
#include "search/engine.h"
#include "search/search_driver.h"

namespace talvik {

InputReader& standardInput() {
  static InputReader reader(STDIN_FILENO);
  return reader;
}

bool inputWaiting() { return standardInput().inputWaiting(); }

namespace {

// The installed line handler. The front end owns it: the engine knows
// nothing of the protocols.
std::unique_ptr<ProtocolHandler>& installedHandler() {
  static std::unique_ptr<ProtocolHandler> handler;
  return handler;
}

}  // namespace

void setProtocol(Engine& engine, int id) {
  std::unique_ptr<ProtocolHandler>& handler = installedHandler();
  // The old handler's report sink dies with it.
  engine.useBaseReportSink();
  handler.reset();
  engine.protocolId = id;
  switch (id) {
    case UciProtocolId:
      logInfo("using protocol UCI");
      handler = std::make_unique<UciProtocol>(&engine);
      break;
    case XboardProtocolId:
      logInfo("using protocol XBoard");
      handler = std::make_unique<XboardProtocol>(&engine);
      break;
    default:
      engine.protocolId = SelectorProtocolId;
      handler = std::make_unique<ProtocolSelector>(&engine);
      break;
  }
  handler->start();
}

void requestQuit(Engine& engine) {
  {
    std::lock_guard<std::mutex> lock(engine.inputMutex);
    engine.quitRequested = 1;
  }
  engine.inputCond.notify_all();
}

void handleCommandLine(Engine& engine, std::string_view line) {
  LineTokenizer tokens(line, ' ');
  if (!tokens.nextToken()) return;  // empty, or separators only
  if (!installedHandler()->handleLine(tokens)) requestQuit(engine);
}

bool readLine(Engine& engine) {
  std::string line;
  if (!standardInput().readLine(line)) {
    engine.requestAbort();
    requestQuit(engine);
    return false;
  }
  logMessage(LogGui, "<< %s", line.c_str());
  handleCommandLine(engine, line);
  return true;
}

namespace {

// Lines put off by deferLine, oldest first (polling mode only).
std::deque<std::string>& deferredLines() {
  static std::deque<std::string> lines;
  return lines;
}

// Handles the oldest deferred line; false when there is none.
bool replayDeferredLine(Engine& engine) {
  std::deque<std::string>& lines = deferredLines();
  if (lines.empty()) return false;
  const std::string line = std::move(lines.front());
  lines.pop_front();
  handleCommandLine(engine, line);
  return true;
}

}  // namespace

void deferLine(std::string_view line) { deferredLines().emplace_back(line); }

void startSearch(Engine& engine, int mode) {
  if (engine.useInputThread == 0) {
    engine.searchMode = mode;
    engine.searchRequested = 1;
    // Searches never nest: one asked for from inside a search (by its final
    // report) waits for the loop below.
    if (engine.searchTaken) return;
    while (engine.searchRequested && !engine.quitRequested) {
      engine.searchRequested = 0;
      engine.searchTaken = 1;
      searchRoot(engine, engine.searchMode != 0);
      engine.searchTaken = 0;
    }
    engine.searchRequested = 0;
    return;
  }
  {
    std::lock_guard<std::mutex> lock(engine.inputMutex);
    engine.searchMode = mode;
    engine.searchRequested = 1;
  }
  engine.inputCond.notify_all();
}

namespace {

// Input-thread mode: the main thread only runs the searches the input thread
// hands over. A request is taken (cleared) before the search starts, so a
// "go" that arrives while the previous search reports its move is kept.
void runHandedSearches(Engine& engine) {
  std::unique_lock<std::mutex> lock(engine.inputMutex);
  for (;;) {
    engine.inputCond.wait(lock, [&] { return engine.quitRequested || engine.searchRequested; });
    if (engine.quitRequested) return;
    const int mode = engine.searchMode;
    engine.searchRequested = 0;
    engine.searchTaken = 1;
    lock.unlock();
    searchRoot(engine, mode != 0);
    installedHandler()->searchEnded();
    lock.lock();
    engine.searchTaken = 0;
  }
}

// Starts the input thread; without it the program falls back to polling.
std::unique_ptr<InputThread> startInputThread(Engine& engine) {
  engine.inputThreadActive = 0;
  if (engine.useInputThread == 0) return nullptr;
  // Set before the thread runs: while set, the search leaves standard input
  // to the input thread.
  engine.inputThreadActive = 1;
  auto thread = std::make_unique<InputThread>(engine);
  if (thread->start()) return thread;
  engine.inputThreadActive = 0;
  engine.useInputThread = 0;
  return nullptr;
}

}  // namespace

int runProtocolMode(Engine& engine) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // The banner goes first: once the input thread runs, replies may follow.
  sendText(bannerText());
  std::unique_ptr<InputThread> inputThread = startInputThread(engine);
  if (inputThread) {
    runHandedSearches(engine);
  } else {
    while (!engine.quitRequested)
      if (!replayDeferredLine(engine)) readLine(engine);
  }

  engine.ponderOption = 0;
  engine.ponderEnabled = 0;
  engine.pondering = 0;
  engine.requestAbort();
  engine.tearDown();
  inputThread.reset();
  engine.useBaseReportSink();
  installedHandler().reset();
  return 0;
}

}  // namespace talvik
