// The thread that reads and handles every command line while the main thread
// searches (input-thread mode).
#pragma once

#include <pthread.h>

#include <cstdint>

#include "search/relaxed.h"

namespace talvik {

class Engine;
class InputReader;

class InputThread {
 public:
  InputThread(Engine& engine, InputReader& input);
  // Stops the thread (even one blocked on input) and joins it.
  virtual ~InputThread();
  InputThread(const InputThread&) = delete;
  InputThread& operator=(const InputThread&) = delete;

  // Starts the thread with a 4 MiB stack. False (and an ERROR log line) when
  // it cannot be created.
  bool start();
  bool running() const { return running_; }

 protected:
  // Reads and handles lines until quit or the end of input.
  virtual void run();

 private:
  static void* entry(void* self);

  Engine& engine_;
  InputReader& input_;
  pthread_t handle_{};
  int number_;
  Relaxed<std::uint8_t> stop_{0};
  bool running_ = false;
};

}  // namespace talvik
