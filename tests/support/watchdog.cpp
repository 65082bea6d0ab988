#include "support/watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace talvik::test {

Watchdog::Watchdog(std::string what, std::chrono::seconds patience)
    : what_(std::move(what)), patience_(patience), deadline_(std::chrono::steady_clock::now() + patience) {
  thread_ = std::thread([this] { watch(); });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    done_ = true;
  }
  changed_.notify_one();
  thread_.join();
}

void Watchdog::feed() {
  std::lock_guard<std::mutex> guard(mutex_);
  deadline_ = std::chrono::steady_clock::now() + patience_;
}

void Watchdog::watch() {
  std::unique_lock<std::mutex> guard(mutex_);
  while (!done_) {
    if (changed_.wait_until(guard, deadline_) == std::cv_status::timeout && !done_ &&
        std::chrono::steady_clock::now() >= deadline_) {
      std::fprintf(stderr, "watchdog: %s made no progress for %lld s (deadlock?)\n", what_.c_str(),
                   static_cast<long long>(patience_.count()));
      std::fflush(stderr);
      std::abort();
    }
  }
}

}  // namespace talvik::test
