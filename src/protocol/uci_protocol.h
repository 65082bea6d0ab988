// The UCI handler: for now the handshake, "isready", "go" and "quit"; the
// full command set replaces it.
#pragma once

#include "protocol/protocol_handler.h"
#include "protocol/report_sink.h"

namespace talvik {

class UciReportSink : public ReportSink {
 public:
  using ReportSink::ReportSink;
  void reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                      std::uint64_t elapsedUs) override;
  bool inputWaiting() override;
  void pollInput() override;
  void reportMessage(const char* text) override;
};

class UciProtocol : public ProtocolHandler {
 public:
  explicit UciProtocol(Engine* engine) : ProtocolHandler(engine), sink_(engine) {}
  // The reply to "uci": identity, engine set-up, "uciok".
  void start() override;
  bool handleLine(LineTokenizer& tokens) override;

 private:
  UciReportSink sink_;
};

}  // namespace talvik
