// The UCI protocol: the "uci" reply, the command table, and the search's
// reports as "info" and "bestmove" lines.
//
// Every "go" gets exactly one "bestmove", whatever arrives during the search;
// only "quit" ends one without an answer. A ponder search or an analysis
// ("go infinite") that ends on its own holds its answer until "ponderhit" or
// "stop" releases it (or a new position, "go" or "ucinewgame" moves on).
#pragma once

#include "board/move.h"
#include "protocol/protocol_handler.h"
#include "protocol/search_tracker.h"
#include "search/report_sink.h"

namespace talvik {

class UciProtocol;

class UciReportSink : public ReportSink {
 public:
  UciReportSink(Engine* engine, UciProtocol& protocol) : ReportSink(engine), protocol_(protocol) {}
  void reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                      std::uint64_t elapsedUs) override;
  void reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                std::uint64_t elapsedUs, int selDepth, int bound) override;
  void reportHashFull(int perMille) override;
  void reportDepth(int depth) override;
  bool inputWaiting() override;
  void pollInput() override;
  void reportCurrentMove(Move move, int number) override;
  void reportRootScore(int score) override;
  void reportMessage(const char* text) override;
  void reportSearchStart() override;

 private:
  UciProtocol& protocol_;
};

class UciProtocol : public ProtocolHandler {
 public:
  explicit UciProtocol(Engine* engine) : ProtocolHandler(engine), sink_(engine, *this), tracker_(*engine) {}
  // The reply to "uci": identity, options, engine set-up, "uciok".
  void start() override;
  bool handleLine(LineTokenizer& tokens) override;
  // Runs the settings and debug commands that waited for the search's end.
  void searchEnded() override;

 private:
  friend class UciReportSink;

  void go(LineTokenizer& tokens);
  void position(LineTokenizer& tokens);
  void ponderhit();
  void stop();
  void quit();
  void newGame(const LineTokenizer& tokens);
  // Stops a pending search and waits for its answer before a command that
  // changes the engine; false when the command was put off (polling mode).
  bool settle(const LineTokenizer& tokens);
  // "bestmove", with the ponder move when the Ponder option is on and there is one.
  void sendBestMove(Move best, Move ponder);
  // Sends the answer a ponder search held back.
  void releaseHeldAnswer();
  void searchReported(int kind, Move best, Move ponder);

  UciReportSink sink_;
  SearchTracker tracker_;
  // The moves of the latest result, kept for a held answer.
  Move lastBestMove_ = NoMove;
  Move lastPonderMove_ = NoMove;
  bool heldPonder_ = false;  // the held answer is a ponder search's (else an analysis's)
  bool quitting_ = false;
};

}  // namespace talvik
