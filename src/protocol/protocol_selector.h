// The handler installed before the first command: the first command chooses
// UCI or XBoard for the whole run.
#pragma once

#include "protocol/protocol_handler.h"

namespace talvik {

class ProtocolSelector : public ProtocolHandler {
 public:
  using ProtocolHandler::ProtocolHandler;
  // "uci…" installs UCI, "xboard…" XBoard (both by prefix, so "ucinewgame"
  // chooses UCI too); "setvalue name value" sets an evaluation parameter and
  // waits for the next line; "quit" ends the program, and so does any other
  // word, after an ERROR log line.
  bool handleLine(LineTokenizer& tokens) override;
};

}  // namespace talvik
