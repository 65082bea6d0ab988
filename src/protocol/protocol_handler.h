// The line handlers of protocol mode: the selector that reads the first
// command, and the UCI and XBoard protocols it installs.
#pragma once

#include "protocol/line_tokenizer.h"

namespace talvik {

class Engine;

class ProtocolHandler {
 public:
  explicit ProtocolHandler(Engine* engine) : engine_(engine) {}
  virtual ~ProtocolHandler() = default;
  // Runs once, right after the handler is installed.
  virtual void start() {}
  // Handles one command line. `tokens` stands on the line's first token:
  // lines without any token never reach a handler. False ends the program.
  virtual bool handleLine(LineTokenizer& tokens) = 0;
  // Input-thread mode: called on the main thread after each search, so that
  // the commands put off during the search run now.
  virtual void searchEnded() {}

 protected:
  Engine* engine_;
};

}  // namespace talvik
