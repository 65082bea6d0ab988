#include "protocol/xboard_protocol.h"

#include "protocol/frontend.h"
#include "search/engine.h"

namespace talvik {

bool XboardReportSink::inputWaiting() { return talvik::inputWaiting(); }
void XboardReportSink::pollInput() { readLine(*engine_); }

void XboardProtocol::start() {
  Engine& engine = *engine_;
  engine.reportSink = &sink_;
  engine.initialise(engine.settings.hashMb);
  engine.newGame();
}

bool XboardProtocol::handleLine(LineTokenizer& tokens) {
  if (!tokens.tokenBeginsWith("quit")) return true;
  engine_->requestAbort();
  return false;
}

}  // namespace talvik
