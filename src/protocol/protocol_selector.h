// The handler installed before the first command: the first command chooses
// UCI or XBoard for the whole run.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "protocol/protocol_handler.h"

namespace talvik {

class ProtocolSelector : public ProtocolHandler {
 public:
  using ProtocolHandler::ProtocolHandler;
  // "uci…" installs UCI, "xboard…" XBoard (both by prefix, so "ucinewgame"
  // chooses UCI too); "setvalue name value" sets an evaluation parameter and
  // waits for the next line; "quit" ends the program, and so does any other
  // word, after an ERROR log line. The protocol's set-up installs the default
  // parameters, so the values set here are set again after it.
  bool handleLine(LineTokenizer& tokens) override;

 private:
  std::vector<std::pair<std::string, std::string>> parameters_;
};

}  // namespace talvik
