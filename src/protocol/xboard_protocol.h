// The XBoard protocol (Chess Engine Communication Protocol): feature
// negotiation, clocks and levels, moves, thinking output, pondering and
// analysis. Unlike under UCI the engine keeps the game: moves arrive one at a
// time and are played on the engine's board, and after its own search the
// engine announces "move ..." and, with pondering on, ponders on the reply it
// expects.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "board/move.h"
#include "protocol/protocol_handler.h"
#include "protocol/search_tracker.h"
#include "search/relaxed.h"
#include "search/report_sink.h"

namespace talvik {

class XboardProtocol;

class XboardReportSink : public ReportSink {
 public:
  XboardReportSink(Engine* engine, XboardProtocol& protocol) : ReportSink(engine), protocol_(protocol) {}
  void reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                      std::uint64_t elapsedUs) override;
  void reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                std::uint64_t elapsedUs, int selDepth, int bound) override;
  bool inputWaiting() override;
  void pollInput() override;
  void reportMessage(const char* text) override;
  void reportSearchStart() override;
  void reportCurrentMove(Move move, int number) override;
  void reportDepth(int depth) override;

  // What the search reported last ("hint" and "." read them).
  int lastDepth() const { return lastDepth_; }
  Move lastPvFirst() const { return lastPvFirst_; }
  Move lastPvSecond() const { return lastPvSecond_; }
  Move currentMove() const { return currentMove_; }
  int currentMoveNumber() const { return currentMoveNumber_; }

 private:
  void newSearch();

  XboardProtocol& protocol_;
  // Written by the searching thread, read by the input thread.
  Relaxed<int> lastDepth_{0};
  Relaxed<Move> lastPvFirst_{NoMove};
  Relaxed<Move> lastPvSecond_{NoMove};
  Relaxed<Move> currentMove_{NoMove};
  Relaxed<int> currentMoveNumber_{0};
};

class XboardProtocol : public ProtocolHandler {
 public:
  explicit XboardProtocol(Engine* engine) : ProtocolHandler(engine), sink_(engine, *this), tracker_(*engine) {}
  // Sets the engine up; XBoard expects no reply here.
  void start() override;
  bool handleLine(LineTokenizer& tokens) override;
  // Runs the settings and debug commands that waited for the search's end.
  void searchEnded() override;

 private:
  friend class XboardReportSink;
  using Lock = SearchTracker::Lock;

  void receivedMove(LineTokenizer& tokens);
  void go(LineTokenizer& tokens);
  void newGame(LineTokenizer& tokens);
  void analyze(LineTokenizer& tokens);
  void leaveAnalysis();
  void sendFeatures();
  // Stops (or aborts) a pending search and waits for its report before a
  // command that changes the game or the limits; false when the command
  // was put off (polling mode).
  bool settle(const LineTokenizer& tokens, bool abort);

  // "undo" (1) and "remove" (2): takes moves back (no more than the game
  // has) and restarts an analysis.
  void takeBack(int plies, LineTokenizer& tokens);
  // "level" or "st" came: a depth from "sd" now caps the timed search.
  void timeControlGiven();
  // "sd": a fixed depth, or a cap on the time control given.
  void setDepth(long long depth);
  // "option NAME[=VALUE]": Clear Hash, Book, Move Overhead and the options
  // of xboard_options.h.
  void setOption(std::string_view text);
  void setTablePath(LineTokenizer& tokens);
  // "hint": the reply the engine expects, when it has one.
  void hint();
  // ".": one stat01 line while analysing.
  void analysisStatus();
  // "option Book=<file>".
  void setBookFile(std::string_view name);
  // The reset of "new": the engine's new game and the move counters.
  void resetGame();
  // Plays a move from the GUI; unless the game has ended or force mode is
  // on, starts the engine's reply (or, while analysing, a new analysis).
  // `insideReport`: called from the search's report, with the tracker's
  // mutex held.
  void playAndReply(const std::string& moveText, bool insideReport);
  // Whether a move the GUI sent while the engine pondered still has to be
  // played: the ponder search took its predicted move back.
  bool opponentMoveMissing(const std::string& moveText) const;
  // Starts a search, with the clocks "time" and "otim" gave for the engine
  // and its opponent. `lockHeld`: called with the tracker's mutex held (from
  // the report, whose search the new one queues behind).
  void launch(int mode, bool lockHeld);
  void searchReported(int kind, Move best, Move ponder);
  // After "move": the expected reply is played and pondered on.
  void startPondering(Move expected);

  XboardReportSink sink_;
  SearchTracker tracker_;
  int protover_ = 0;
  int plyCount_ = 0;  // moves received since "new"
  bool forceMode_ = false;
  bool goSeen_ = false;
  // Thinking output: off until "post", or until "protover 2" (or later)
  // unless "nopost" came first.
  Relaxed<std::uint8_t> post_{0};
  bool postChosen_ = false;
  bool analyzing_ = false;
  int limitModeBeforeAnalysis_ = 0;
  int depthCapBeforeAnalysis_ = 0;
  // "level" or "st" given since "new", and the depth of the last "sd" (0 none).
  bool timeControlGiven_ = false;
  int depthLimit_ = 0;
  // The opponent's move that came while the engine pondered; it is played
  // once the ponder search has reported (with the predicted move taken back).
  std::string pendingMove_;
  // The length of the game when the pending search began (with the
  // predicted move for a ponder search): the search itself plays at most
  // one move, or takes the predicted one back.
  std::size_t searchGameLength_ = 0;
  // The clocks from "time" and "otim" in milliseconds, once given.
  std::optional<float> ownClockMs_;
  std::optional<float> otherClockMs_;
};

}  // namespace talvik
