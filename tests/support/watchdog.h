// Hang detection for threaded tests: a thread that ends the test program
// with a message when the test has not fed it for too long (a deadlock or a
// search that never ends), instead of leaving CI waiting.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace talvik::test {

class Watchdog {
 public:
  // `patience`: how long one step of the test may take; generous, since it
  // only has to tell a hang from a slow machine.
  Watchdog(std::string what, std::chrono::seconds patience);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // The test made progress: the patience starts again.
  void feed();

 private:
  void watch();

  std::string what_;
  std::chrono::seconds patience_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::chrono::steady_clock::time_point deadline_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace talvik::test
