#include "protocol/search_tracker.h"

#include <utility>

#include "protocol/frontend.h"
#include "search/engine.h"
#include "search/time_control.h"

namespace talvik {

void SearchTracker::requested(bool ponder) {
  phase_ = Phase::Requested;
  ponderSearch_ = ponder;
  ponderEnded_ = false;
  request_ = Request::None;
  answerRequested_ = false;
  abortRequested_ = false;
}

void SearchTracker::stop() {
  if (!pending()) return;
  if (request_ == Request::None) request_ = Request::Stop;
  answerRequested_ = true;
  applyRequests();
}

void SearchTracker::abort() {
  if (!pending()) return;
  request_ = Request::Abort;
  abortRequested_ = true;
  applyRequests();
}

void SearchTracker::endPondering(std::optional<float> clockMs, std::optional<int> movesToGo) {
  if (!pending()) return;
  answerRequested_ = true;
  // A ponder search already told to stop ends as one: it takes its
  // predicted move back, which the search decides by its pondering flag.
  if (!ponderSearch_ || request_ != Request::None) return;
  ponderSearch_ = false;
  ponderEnded_ = true;
  hitClockMs_ = clockMs;
  hitMovesToGo_ = movesToGo;
  applyRequests();
}

void SearchTracker::applyRequests() {
  if (phase_ != Phase::Running) return;  // started() applies them
  if (ponderEnded_) {
    // From here on the clock rules apply, with a budget that starts now;
    // the next node checks them. (The search has set its side and limits
    // before it reported its start.)
    const float clockMs = hitClockMs_.value_or(engine_.clockMs[engine_.rootSide]);
    restartTimeBudget(engine_, clockMs, hitMovesToGo_.value_or(engine_.movesToGo));
    engine_.pondering = 0;
    ponderEnded_ = false;
  }
  if (request_ == Request::Abort) {
    engine_.stopRequest = StopAbort;
  } else if (request_ == Request::Stop) {
    // A search that has already ended on its own keeps its own code.
    engine_.stopRequest.replace(StopNone, ponderSearch_ ? StopPonder : StopNormal);
  }
  forcePoll(engine_);
}

void SearchTracker::started() {
  phase_ = Phase::Running;
  applyRequests();
  changed_.notify_all();
}

void SearchTracker::reported(bool hold) {
  phase_ = hold ? Phase::Held : Phase::Idle;
  ponderSearch_ = false;
  ponderEnded_ = false;
  request_ = Request::None;
  answerRequested_ = false;
  abortRequested_ = false;
  changed_.notify_all();
}

void SearchTracker::release() {
  if (phase_ == Phase::Held) phase_ = Phase::Idle;
}

bool SearchTracker::settle(Lock& lock, bool abortIt, std::string_view line) {
  while (pending()) {
    if (abortIt) abort();
    else stop();
    if (!engine_.inputThreadActive) {
      deferLine(line);
      return false;
    }
    changed_.wait(lock);
  }
  awaitDeferred(lock);
  return true;
}

bool SearchTracker::mustDefer() const {
  if (pending()) return true;
  return (runningDeferred_ || !deferred_.empty()) && deferredRunner_ != std::this_thread::get_id();
}

bool SearchTracker::runsNow(std::string_view line) {
  Lock lock(mutex_);
  if (!mustDefer()) return true;
  if (engine_.inputThreadActive) deferred_.emplace_back(line);
  else deferLine(line);
  return false;
}

void SearchTracker::runDeferred() {
  while (!engine_.quitRequested) {
    std::vector<std::string> lines;
    {
      Lock lock(mutex_);
      lines = takeDeferred();
    }
    if (lines.empty()) return;
    for (const std::string& line : lines) handleCommandLine(engine_, line);
  }
}

std::vector<std::string> SearchTracker::takeDeferred() {
  runningDeferred_ = !pending() && !deferred_.empty();
  if (!runningDeferred_) {
    changed_.notify_all();
    return {};
  }
  deferredRunner_ = std::this_thread::get_id();
  return std::exchange(deferred_, {});
}

void SearchTracker::awaitDeferred(Lock& lock) {
  while (engine_.inputThreadActive && !pending() && (runningDeferred_ || !deferred_.empty()) &&
         deferredRunner_ != std::this_thread::get_id())
    changed_.wait(lock);
}

void SearchTracker::awaitStopped(Lock& lock) {
  while (engine_.inputThreadActive && pending() && request_ != Request::None) changed_.wait(lock);
}

}  // namespace talvik
