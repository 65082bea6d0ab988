#include "protocol/protocol_selector.h"

#include <string>

#include "base/logger.h"
#include "eval/parameters.h"
#include "protocol/frontend.h"
#include "search/engine.h"

namespace talvik {

namespace {
// Parameter names, values and the quoted unknown word are cut to this.
constexpr std::size_t MaxWord = 256;

// setProtocol destroys the selector: what it kept is passed in copies.
void installProtocol(Engine& engine, int id, const std::vector<std::pair<std::string, std::string>> parameters) {
  setProtocol(engine, id);
  for (const auto& [name, value] : parameters) setParameter(engine.evalContext, name, value);
}

}  // namespace

bool ProtocolSelector::handleLine(LineTokenizer& tokens) {
  if (tokens.tokenBeginsWith("uci")) {
    installProtocol(*engine_, UciProtocolId, parameters_);
    return true;
  }
  if (tokens.tokenBeginsWith("xboard")) {
    installProtocol(*engine_, XboardProtocolId, parameters_);
    return true;
  }
  if (tokens.tokenBeginsWith("setvalue")) {
    if (!tokens.nextToken()) return true;
    const std::string name = tokens.tokenCopy(MaxWord);
    if (!tokens.nextToken()) return true;
    const std::string value = tokens.tokenCopy(MaxWord);
    setParameter(engine_->evalContext, name, value);
    parameters_.emplace_back(name, value);
    return true;
  }
  if (tokens.tokenBeginsWith("quit")) return false;
  logError("unknown protocol '%s'", tokens.tokenCopy(MaxWord).c_str());
  return false;
}

}  // namespace talvik
