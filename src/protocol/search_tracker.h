// The one search a protocol has asked for, seen from the command side.
//
// A GUI expects exactly one answer per search ("bestmove", or "move" in
// XBoard), also when "stop", "ponderhit" or a move arrive at awkward moments.
// Two moments are awkward:
// - With the input thread, a search is handed to the main thread and starts a
//   little later. The search clears its stop code when it starts, so a stop
//   written before that would be lost. The tracker keeps such requests and
//   applies them when the search reports its start.
// - The final report runs on the main thread while the input thread may be
//   handling a ponderhit or a stop for the same search. The tracker's mutex
//   puts the two in an order: the report sees what the command did, or the
//   command sees that the report has happened.
//
// At most one search is pending at a time: commands that change the game or
// start a search first stop the pending search and wait for its report
// (settle). Settings and debug commands do not end a search: they wait for
// its end (runsNow) and run before the next command that settles.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace talvik {

class Engine;

class SearchTracker {
 public:
  enum class Phase {
    Idle,       // no search pending
    Requested,  // startSearch called; the search has not begun yet
    Running,    // begun, not yet reported
    Held,       // reported, but its answer waits for the GUI (UCI ponder result)
  };
  using Lock = std::unique_lock<std::mutex>;

  explicit SearchTracker(Engine& engine) : engine_(engine) {}

  std::mutex& mutex() { return mutex_; }

  // Everything below runs with mutex() held.
  Phase phase() const { return phase_; }
  bool pending() const { return phase_ == Phase::Requested || phase_ == Phase::Running; }
  // A stop or ponderhit has been sent to the pending search.
  bool answerRequested() const { return answerRequested_; }
  // The pending search was aborted ("quit", a new game, a changed game).
  bool abortRequested() const { return abortRequested_; }

  // Records a search about to be started with startSearch; `ponder` is the
  // search mode.
  void requested(bool ponder);
  // Ends the pending search with its best move: stop code 2 for a ponder
  // search still pondering, else 1. Never replaces an abort.
  void stop();
  // Ends the pending search without an answer (stop code 3).
  void abort();
  // "ponderhit": the pending ponder search goes on as a normal search,
  // unless it has been told to stop already. Its time budget is computed
  // again, from the moment of the hit, with the clock and moves to go given
  // here (XBoard's "time" sent with the move), else those of the search.
  void endPondering(std::optional<float> clockMs = std::nullopt, std::optional<int> movesToGo = std::nullopt);

  // From the report sink: the search has begun / has reported. `hold`
  // keeps its answer back for a later "ponderhit" or "stop".
  void started();
  void reported(bool hold);
  // The held answer has been sent or dropped.
  void release();

  // Makes sure no search is pending, for a command that needs the engine at
  // rest: stops the pending search (aborts it when `abort` is set) and, with
  // the input thread, waits for its report. Stops again any search that the
  // report itself starts. In polling mode the command runs inside the search,
  // which cannot be waited for: `line` is then deferred to the end of the
  // search and false is returned. A held answer is left to the caller.
  bool settle(Lock& lock, bool abort, std::string_view line);
  // Settings and debug commands neither run during a search nor end it.
  // True when the command `line` may run now; otherwise it is kept until
  // the search has ended: in polling mode the front-end replays it after the
  // search, with the input thread the main thread runs it (runDeferred)
  // before it takes the next search. Locks the mutex itself.
  bool runsNow(std::string_view line);
  // Main thread, after each search (input-thread mode): handles the kept
  // lines until none is left. Locks the mutex itself.
  void runDeferred();
  // Waits (input-thread mode) while kept lines of an ended search are still
  // to run, so that a later command sees their effect.
  void awaitDeferred(Lock& lock);
  // Waits (input-thread mode) while the pending search has been told to stop
  // but has not reported yet, so that a reply to a later command cannot come
  // before that search's last words.
  void awaitStopped(Lock& lock);

 private:
  enum class Request { None, Stop, Abort };
  // Writes the requested stop code and makes the search poll at its next node.
  void applyRequests();
  // Whether a line must be kept now: a search is pending, or earlier lines
  // are kept (and this is not the thread that runs them).
  bool mustDefer() const;
  std::vector<std::string> takeDeferred();

  Engine& engine_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Phase phase_ = Phase::Idle;
  bool ponderSearch_ = false;  // the pending search ponders
  bool ponderEnded_ = false;   // a ponderhit waits to be applied
  std::optional<float> hitClockMs_;
  std::optional<int> hitMovesToGo_;
  Request request_ = Request::None;
  bool answerRequested_ = false;
  bool abortRequested_ = false;
  std::vector<std::string> deferred_;
  bool runningDeferred_ = false;
  std::thread::id deferredRunner_;
};

}  // namespace talvik
