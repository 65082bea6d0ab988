#include "protocol/input_thread.h"

#include <unistd.h>

#include <atomic>

#include "base/logger.h"
#include "protocol/frontend.h"
#include "protocol/input_reader.h"
#include "search/engine.h"

namespace talvik {

namespace {

constexpr std::size_t InputStackSize = 4u << 20;
// Numbers the input threads in log lines.
std::atomic<int> inputThreadsCreated{0};

}  // namespace

InputThread::InputThread(Engine& engine) : engine_(engine), number_(inputThreadsCreated.fetch_add(1)) {}

InputThread::~InputThread() {
  stop_ = 1;
  if (!running_) return;
  standardInput().interrupt();
  pthread_join(handle_, nullptr);
  running_ = false;
}

bool InputThread::start() {
  pthread_attr_t attributes;
  const bool haveAttributes = pthread_attr_init(&attributes) == 0;
  std::size_t stackSize = 0;
  if (!haveAttributes || pthread_attr_getstacksize(&attributes, &stackSize) != 0)
    logMessage(LogWarning, "unable to get thread stack limit");
  else if (pthread_attr_setstacksize(&attributes, InputStackSize) != 0)
    logMessage(LogWarning, "unable to set thread stack limit");
  const int error = pthread_create(&handle_, haveAttributes ? &attributes : nullptr, &InputThread::entry, this);
  if (haveAttributes) pthread_attr_destroy(&attributes);
  if (error != 0) {
    logError("Thread %d creation error : %d", number_, error);
    return false;
  }
  running_ = true;
  return true;
}

void* InputThread::entry(void* self) {
  static_cast<InputThread*>(self)->run();
  return nullptr;
}

void InputThread::run() {
  while (!stop_ && !engine_.quitRequested) readLine(engine_);
  // The quit handler stops a search only when it sees one running, but the
  // main thread may have taken a "go" just before and not have started it
  // yet. Keep aborting until that search is over, so quit never waits for a
  // search that was meant to run forever.
  while (engine_.searchTaken) {
    engine_.requestAbort();
    usleep(1000);
  }
}

}  // namespace talvik
