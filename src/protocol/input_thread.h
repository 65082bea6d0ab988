// The thread that reads and handles every command line from standard input
// while the main thread searches (input-thread mode).
#pragma once

#include <pthread.h>

#include <cstdint>

#include "search/relaxed.h"

namespace talvik {

class Engine;

class InputThread {
 public:
  explicit InputThread(Engine& engine);
  // Stops the thread (even one blocked on standard input) and joins it.
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
  pthread_t handle_{};
  int number_;
  Relaxed<std::uint8_t> stop_{0};
  bool running_ = false;
};

}  // namespace talvik
