// The XBoard handler: for now the engine set-up and "quit"; the full command
// set replaces it.
#pragma once

#include "protocol/protocol_handler.h"
#include "protocol/report_sink.h"

namespace talvik {

class XboardReportSink : public ReportSink {
 public:
  using ReportSink::ReportSink;
  bool inputWaiting() override;
  void pollInput() override;
};

class XboardProtocol : public ProtocolHandler {
 public:
  explicit XboardProtocol(Engine* engine) : ProtocolHandler(engine), sink_(engine) {}
  // Sets the engine up; XBoard expects no reply here.
  void start() override;
  bool handleLine(LineTokenizer& tokens) override;

 private:
  XboardReportSink sink_;
};

}  // namespace talvik
