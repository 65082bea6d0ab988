// The program's one log: timestamped lines in plain text or as an HTML table
// whose rows a browser can filter by level. Each level is switched on by one
// bit of the LogLevel setting.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

namespace talvik {

enum LogLevel : int { LogInfo = 0, LogDebug, LogTrace, LogWarning, LogError, LogCritical, LogGui };

struct LogLevelRecord {
  bool active = true;
  std::atomic<std::uint64_t> count{0};
  std::string name;
  std::string cssClass;
};

class Logger {
 public:
  Logger() = default;
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  // Builds the level table and opens logfile[_pid].txt / .html when
  // `levelMask` is not 0. A file that cannot be opened disables output.
  // Each line reaches the file with one write() of its own: lines from the
  // input thread and the search never interleave, and nothing waits in a
  // buffer if the program is killed.
  void configure(int levelMask, int format, int withPid);
  void write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void writeV(int level, const char* format, va_list args);
  // Writes the per-level counts and closes the file.
  void close();

  bool isActive(int level) const;
  const std::string& fileName() const { return fileName_; }

 private:
  std::vector<LogLevelRecord> levels_;
  std::string fileName_;
  static constexpr const char* StyleSheet = "html/style.css";
  static constexpr const char* Script = "html/logchess.js";
  int fd_ = -1;  // the open log file, or -1
  bool textFormat_ = false;
  bool enabled_ = true;
  bool withPid_ = false;
};

extern Logger logger;

void configureLog(int levelMask, int format, int withPid);
void closeLog();
void logMessage(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces & < > " by their HTML entities.
std::string htmlEscape(const std::string& text);

}  // namespace talvik
