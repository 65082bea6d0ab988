#include "protocol/uci_protocol.h"

#include "app/build_info.h"
#include "board/move_text.h"
#include "protocol/frontend.h"
#include "protocol/output.h"
#include "search/engine.h"

namespace talvik {

void UciReportSink::reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                                   std::uint64_t elapsedUs) {
  (void)kind, (void)ponder, (void)depth, (void)selDepth, (void)nodes, (void)elapsedUs;
  sendLine("bestmove %s", moveToCoordinate(best, engine_->chess960 != 0).c_str());
}

bool UciReportSink::inputWaiting() { return talvik::inputWaiting(); }
void UciReportSink::pollInput() { readLine(*engine_); }

void UciReportSink::reportMessage(const char* text) { sendLine("info string %s", text); }

void UciProtocol::start() {
  Engine& engine = *engine_;
  engine.reportSink = &sink_;
  sendLine("id name %s %s %s", ProgramName, ProgramVersion, wordSizeText().c_str());
  sendLine("id author %s", ProgramAuthor);
  engine.initialise(engine.settings.hashMb);
  engine.newGame();
  sendText("uciok");
}

bool UciProtocol::handleLine(LineTokenizer& tokens) {
  Engine& engine = *engine_;
  if (tokens.tokenBeginsWith("go")) {
    startSearch(engine, 0);
  } else if (tokens.tokenBeginsWith("isready")) {
    sendText("readyok");
  } else if (tokens.tokenBeginsWith("quit")) {
    engine.requestAbort();
    return false;
  }
  return true;
}

}  // namespace talvik
