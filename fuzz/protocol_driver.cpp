#include "protocol_driver.h"

#include <unistd.h>

#include <string>
#include <string_view>

#include "protocol/frontend.h"
#include "search/engine.h"
#include "support.h"

namespace talvik::fuzz {

namespace {

bool beginsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Keeps a fuzzed command from running for long: the engine must answer it, but
// a ten-minute search or a perft 9 would only slow the fuzzer down.
std::string tame(std::string line, int protocolId) {
  std::size_t start = line.find_first_not_of(' ');
  const std::string_view command = start == std::string::npos ? std::string_view() : std::string_view(line).substr(start);
  if (beginsWith(command, "perft") || beginsWith(command, "divide")) return line.substr(0, start) + "perft 2";
  if (beginsWith(command, "setoption") &&
      (line.find("Hash") != std::string::npos || line.find("Threads") != std::string::npos)) {
    const std::size_t value = line.find("value");
    return value == std::string::npos ? line : line.substr(0, value) + "value 1";
  }
  // Twice: a parameter word missing its number swallows the next word.
  if (protocolId == UciProtocolId && beginsWith(command, "go")) return line + " depth 2 depth 2";
  if (protocolId == XboardProtocolId && beginsWith(command, "analyze")) return "sd 2";
  return line;
}

}  // namespace

void runProtocolLines(int protocolId, std::initializer_list<const char*> reset, const std::uint8_t* data,
                      std::size_t size) {
  Engine& eng = engine();
  static bool installed = false;
  if (!installed) {
    // Standard input is a pipe that never delivers a line, so the polling
    // search finds nothing waiting.
    static int neverWritten[2];
    if (::pipe(neverWritten) == 0) ::dup2(neverWritten[0], STDIN_FILENO);
    eng.settings.hashMb = 1;
    eng.settings.maxThreads = 1;
    eng.useInputThread = 0;
    eng.inputThreadActive = 0;
    setProtocol(eng, protocolId);
    installed = true;
  }
  eng.quitRequested = 0;
  for (const char* line : reset) handleCommandLine(eng, line);
  const std::string_view input = text(data, size);
  std::size_t pos = 0;
  while (pos <= input.size()) {
    std::size_t end = input.find('\n', pos);
    if (end == std::string_view::npos) end = input.size();
    const std::string line = tame(std::string(input.substr(pos, end - pos)), protocolId);
    if (protocolId == XboardProtocolId) handleCommandLine(eng, "sd 2");
    handleCommandLine(eng, line);
    eng.quitRequested = 0;
    pos = end + 1;
  }
}

}  // namespace talvik::fuzz
