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
}  // namespace

bool ProtocolSelector::handleLine(LineTokenizer& tokens) {
  // setProtocol destroys this selector: nothing of it may be used afterwards.
  if (tokens.tokenBeginsWith("uci")) {
    setProtocol(*engine_, UciProtocolId);
    return true;
  }
  if (tokens.tokenBeginsWith("xboard")) {
    setProtocol(*engine_, XboardProtocolId);
    return true;
  }
  if (tokens.tokenBeginsWith("setvalue")) {
    if (!tokens.nextToken()) return true;
    const std::string name = tokens.tokenCopy(MaxWord);
    if (!tokens.nextToken()) return true;
    const std::string value = tokens.tokenCopy(MaxWord);
    setParameter(engine_->evalContext, name, value);
    return true;
  }
  if (tokens.tokenBeginsWith("quit")) return false;
  logError("unknown protocol '%s'", tokens.tokenCopy(MaxWord).c_str());
  return false;
}

}  // namespace talvik
