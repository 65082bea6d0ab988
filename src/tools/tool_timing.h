// Elapsed time and its text in the developer tools' reports.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace talvik {

// Measures from construction. A monotonic clock: a wall clock that is set
// back during a run would give negative times.
class Stopwatch {
 public:
  std::int64_t elapsedMicroseconds() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// "hh:mm:ss.mmm" from milliseconds (hours keep counting past 99).
std::string durationText(std::uint64_t milliseconds);

}  // namespace talvik
