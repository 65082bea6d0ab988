// The answers of the protocols when a command and the end of a search cross:
// the search has decided how it ended but not yet reported when "ponderhit",
// "stop" or the opponent's move arrive. These windows are microseconds wide
// in a real run; here the search's side is played step by step.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "protocol/uci_protocol.h"
#include "protocol/xboard_protocol.h"
#include "search/engine.h"
#include "search/game.h"

namespace talvik {
namespace {

// Standard output redirected to a pipe while the object lives.
class CapturedOutput {
 public:
  CapturedOutput() {
    // What the test runner has printed but not yet written must not land in the pipe.
    std::fflush(stdout);
    EXPECT_EQ(pipe2(fds_, O_NONBLOCK), 0);
    saved_ = dup(STDOUT_FILENO);
    dup2(fds_[1], STDOUT_FILENO);
  }
  ~CapturedOutput() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    close(fds_[0]);
    close(fds_[1]);
  }
  // The lines written since the last call.
  std::vector<std::string> lines() {
    char chunk[4096];
    ssize_t n;
    while ((n = read(fds_[0], chunk, sizeof chunk)) > 0) pending_.append(chunk, static_cast<std::size_t>(n));
    std::vector<std::string> result;
    for (std::size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1))
      result.push_back(pending_.substr(0, end));
    return result;
  }

 private:
  int fds_[2] = {-1, -1};
  int saved_ = -1;
  std::string pending_;
};

using Lines = std::vector<std::string>;

// An engine whose searches are only asked for: the test plays the search.
struct Bench {
  Bench() {
    engine.settings.hashMb = 1;
    engine.useInputThread = 1;
    engine.inputThreadActive = 1;
  }
  void send(ProtocolHandler& handler, const char* line) {
    LineTokenizer tokens(line);
    tokens.nextToken();
    handler.handleLine(tokens);
  }
  // What the search does when it begins.
  void searchBegins(bool ponder) {
    engine.searchRequested = 0;
    engine.stopRequest = StopNone;
    engine.pondering = ponder && engine.ponderEnabled;
    engine.searching = 1;
    engine.reportSink->reportSearchStart();
  }
  // The search's last step: its report. A search that plays its move has
  // played it already; the ponder move is read in the position after it.
  void searchReports(int kind, Move best, const char* ponder) {
    engine.reportSink->reportBestMove(kind, best, move(ponder), 3, 3, 100, 1000);
    engine.searching = 0;
  }
  Move move(const char* text) { return parseCoordinateMove(engine.board, text, false); }

  Engine engine;
  CapturedOutput output;
};

TEST(SearchAnswers, UciPonderResultMeetsPonderhitOrStop) {
  struct Case {
    const char* beforeReport;  // arrives after the search decided, before it reports
    const char* afterReport;
    Lines atReport, atLaterCommand;
  };
  const std::string answer = "bestmove e2e4 ponder e7e5";
  const Case cases[] = {
      {nullptr, "ponderhit", {}, {answer}},
      {nullptr, "stop", {}, {answer}},
      {"ponderhit", "ponderhit", {answer}, {}},
      {"stop", "stop", {answer}, {}},
      // A new game cuts the search short; its "go" is answered all the same.
      {"ucinewgame", "ponderhit", {"bestmove e2e4"}, {}},
  };
  for (const Case& c : cases) {
    Bench bench;
    UciProtocol uci(&bench.engine);
    uci.start();
    bench.send(uci, "setoption name Ponder value true");
    bench.send(uci, "go ponder depth 3");
    bench.output.lines();
    bench.searchBegins(true);
    bench.engine.pondering = 0;  // the search ended on its own: a ponder result
    const Move e4 = bench.move("e2e4");
    // "ucinewgame" waits for the search's report, which comes from the main thread.
    std::thread waiting;
    if (c.beforeReport && std::string(c.beforeReport) == "ucinewgame") {
      waiting = std::thread([&] { bench.send(uci, c.beforeReport); });
      while (bench.engine.stopRequest != StopAbort) std::this_thread::yield();
    } else if (c.beforeReport) {
      bench.send(uci, c.beforeReport);
    }
    bench.engine.playMove(e4);  // UCI games are resent with every command; the engine plays on its board
    bench.searchReports(StopPonderDone, e4, "e7e5");
    if (waiting.joinable()) waiting.join();
    EXPECT_EQ(bench.output.lines(), c.atReport) << c.beforeReport;
    bench.send(uci, c.afterReport);
    EXPECT_EQ(bench.output.lines(), c.atLaterCommand) << c.afterReport;
  }
}

// The engine has moved e2e4 and ponders on e7e5, already on its board. The
// opponent's move arrives while the ponder search runs, or after it has
// ended on its own but before it reported (kind 5, predicted move taken back).
TEST(SearchAnswers, XboardOpponentMoveWhilePondering) {
  struct Case {
    const char* before;  // a command before the opponent's move
    const char* reply;
    bool endedOnItsOwn;
    int kind;  // how the ponder search reports
    Lines output;
    const char* fenAfter;
    bool replySearchAsked;
  };
  const char* afterE5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6 0 2";
  const char* afterD5 = "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2";
  // ... and then the engine's expected reply, which it ponders on.
  const char* afterNc6 = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
  const Case cases[] = {
      {nullptr, "e7e5", true, StopPonderDone, {}, afterE5, true},
      {nullptr, "d7d5", true, StopPonderDone, {}, afterD5, true},
      {nullptr, "d7d5", false, StopPonder, {}, afterD5, true},
      // A hit while the search runs: it goes on as the engine's own search.
      {nullptr, "e7e5", false, StopNormal, {"move g1f3", "Hint: b8c6"}, afterNc6, true},
      // Told to move now first, the ponder search stays one: the hit is
      // played when it has ended.
      {"?", "e7e5", false, StopPonder, {}, afterE5, true},
      // Force mode ends pondering; the opponent's move is still played.
      {nullptr, "d7d5", false, StopAbort, {}, afterD5, false},
  };
  for (const Case& c : cases) {
    Bench bench;
    XboardProtocol xboard(&bench.engine);
    xboard.start();
    for (const char* line : {"hard", "nopost", "go"}) bench.send(xboard, line);
    bench.searchBegins(false);
    const Move e4 = bench.move("e2e4");
    bench.engine.playMove(e4);
    bench.searchReports(StopNormal, e4, "e7e5");
    ASSERT_EQ(bench.output.lines(), (Lines{"move e2e4", "Hint: e7e5"}));
    ASSERT_EQ(bench.engine.searchRequested, 1);

    bench.searchBegins(true);
    ASSERT_EQ(bench.engine.pondering, 1);
    if (c.endedOnItsOwn) {
      bench.engine.pondering = 0;
      bench.engine.takeBack();
    }
    if (c.before) bench.send(xboard, c.before);
    bench.send(xboard, c.reply);
    if (c.kind == StopAbort) bench.send(xboard, "force");
    Move best = NoMove;
    if (c.kind == StopNormal) {
      EXPECT_EQ(bench.engine.pondering, 0) << c.reply;
      best = bench.move("g1f3");
      bench.engine.playMove(best);
    } else if (!c.endedOnItsOwn) {
      EXPECT_EQ(bench.engine.stopRequest, c.kind) << c.reply;
      EXPECT_EQ(bench.engine.pondering, 1) << c.reply;
      bench.engine.takeBack();
    }
    bench.searchReports(c.kind, best, "b8c6");
    EXPECT_EQ(bench.output.lines(), c.output) << c.reply;
    EXPECT_EQ(gameFen(bench.engine), c.fenAfter) << c.reply;
    EXPECT_EQ(bench.engine.searchRequested, c.replySearchAsked ? 1 : 0) << c.reply;
  }
}

// "result" reaches a search that has just played its move on the board; the
// search reports that end (kind 1), or the abort if it read its stop code
// again. Either way the GUI hears of no move and the board has none.
TEST(SearchAnswers, XboardAbortAfterTheSearchPlayedItsMove) {
  for (const int kind : {StopNormal, StopAbort}) {
    Bench bench;
    XboardProtocol xboard(&bench.engine);
    xboard.start();
    bench.send(xboard, "go");
    bench.searchBegins(false);
    const Move e4 = bench.move("e2e4");
    bench.engine.playMove(e4);
    bench.send(xboard, "result 1/2-1/2");
    bench.searchReports(kind, e4, "e7e5");
    EXPECT_EQ(bench.output.lines(), Lines{}) << kind;
    EXPECT_EQ(gameFen(bench.engine), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1") << kind;
  }
}

// "time" is the engine's clock and "otim" the opponent's, whichever colour
// the engine plays and whatever stands on its board while it ponders.
TEST(SearchAnswers, XboardClocksBelongToEngineAndOpponent) {
  struct Case {
    std::vector<const char*> lines;
    float white, black;
  };
  const Case cases[] = {
      {{"time 6000", "otim 4500", "go"}, 60000, 45000},
      {{"time 6000", "otim 4500", "e2e4"}, 45000, 60000},
      {{"force", "e2e4", "time 700", "otim 800", "go"}, 8000, 7000},
  };
  for (const Case& c : cases) {
    Bench bench;
    XboardProtocol xboard(&bench.engine);
    xboard.start();
    for (const char* line : c.lines) bench.send(xboard, line);
    EXPECT_EQ(bench.engine.clockMs[White], c.white) << c.lines.back();
    EXPECT_EQ(bench.engine.clockMs[Black], c.black) << c.lines.back();
  }
  // While pondering, the engine's predicted move is on the board.
  Bench bench;
  XboardProtocol xboard(&bench.engine);
  xboard.start();
  for (const char* line : {"hard", "time 6000", "otim 4500", "go"}) bench.send(xboard, line);
  bench.searchBegins(false);
  const Move e4 = bench.move("e2e4");
  bench.engine.playMove(e4);
  for (const char* line : {"time 5000", "otim 4000"}) bench.send(xboard, line);
  bench.searchReports(StopNormal, e4, "e7e5");
  EXPECT_EQ(bench.engine.clockMs[White], 50000);
  EXPECT_EQ(bench.engine.clockMs[Black], 40000);
}

}  // namespace
}  // namespace talvik
