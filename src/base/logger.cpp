#include "base/logger.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "base/data_files.h"
#include "base/write_all.h"

namespace talvik {

Logger logger;

namespace {

struct LevelName {
  const char* name;
  const char* cssClass;
};
constexpr LevelName LevelNames[] = {{"INFO", "info"},         {"DEBUG", "debug"}, {"TRACE", "trace"},
                                    {"WARNING", "warning"},   {"ERROR", "error"}, {"CRITICAL", "critical"},
                                    {"GUI", "gui"}};

std::string timeStamp() {
  timeval now{};
  gettimeofday(&now, nullptr);
  std::tm local{};
  const std::time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u %02u:%02u:%02u.%03ld", local.tm_year + 1900u, local.tm_mon + 1u,
                static_cast<unsigned>(local.tm_mday), static_cast<unsigned>(local.tm_hour),
                static_cast<unsigned>(local.tm_min), static_cast<unsigned>(local.tm_sec),
                static_cast<long>(now.tv_usec / 1000));
  return text;
}

}  // namespace

std::string htmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

Logger::~Logger() { close(); }

void Logger::configure(int levelMask, int format, int withPid) {
  close();
  levels_ = std::vector<LogLevelRecord>(std::size(LevelNames));
  for (std::size_t i = 0; i < levels_.size(); ++i) {
    levels_[i].name = LevelNames[i].name;
    levels_[i].cssClass = LevelNames[i].cssClass;
    levels_[i].active = (levelMask >> i) & 1;
  }
  textFormat_ = format == 0;
  enabled_ = levelMask != 0;
  withPid_ = withPid != 0;
  if (!enabled_) return;
  fileName_ = "logfile";
  if (withPid_) {
    fileName_ += '_';
    fileName_ += std::to_string(getpid());
  }
  fileName_ += textFormat_ ? ".txt" : ".html";
  fd_ = ::open(fileName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ >= 0 && !textFormat_) {
    // The log's html/ folder beside it, else the installed one.
    const std::string styleSheet = htmlEscape(locateDataFile(StyleSheet));
    const std::string script = htmlEscape(locateDataFile(Script));
    writeAll(fd_, "<!DOCTYPE HTML>\n<html>\n<head>\n<title>" + fileName_ + "</title>\n<link href=\"" + styleSheet +
                        "\" media=\"screen\" rel=\"stylesheet\" type=\"text/css\" />\n"
                        "<script type=\"text/javascript\" src=\"" +
                        script + "\"></script>\n</head>\n<body>\n<table id=\"tablelog\">\n");
  }
}

bool Logger::isActive(int level) const {
  return enabled_ && fd_ >= 0 && level >= 0 && static_cast<std::size_t>(level) < levels_.size() && levels_[level].active;
}

void Logger::writeV(int level, const char* format, va_list args) {
  if (!isActive(level)) return;
  char message[4096];
  std::vsnprintf(message, sizeof message, format, args);
  LogLevelRecord& record = levels_[level];
  record.count.fetch_add(1, std::memory_order_relaxed);
  const std::string stamp = timeStamp();
  // The whole line is formatted first and written with one call.
  std::string line;
  if (textFormat_) {
    char head[96];
    std::snprintf(head, sizeof head, "%s %-10s ", stamp.c_str(), record.name.c_str());
    line = head + std::string(message) + "\n";
  } else {
    // The log records raw GUI input: escape it so that it cannot become markup.
    line = "<tr class=\"" + record.cssClass + "\"><th>" + stamp + "</th><td>" + record.name + "</td><td>" +
           htmlEscape(message) + "</td></tr>\n";
  }
  writeAll(fd_, line);
}

void Logger::write(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  writeV(level, format, args);
  va_end(args);
}

void Logger::close() {
  if (fd_ < 0) return;
  std::string tail;
  char row[256];
  if (enabled_ && textFormat_) {
    tail = "\n";
    for (const LogLevelRecord& record : levels_) {
      std::snprintf(row, sizeof row, "%s = %llu\n", record.name.c_str(),
                    static_cast<unsigned long long>(record.count.load(std::memory_order_relaxed)));
      tail += row;
    }
  } else if (enabled_) {
    tail = "</table>\n<table id=\"logcount\">\n";
    for (const LogLevelRecord& record : levels_) {
      std::snprintf(row, sizeof row,
                    "<tr><th><a href=\"#\" onclick=\"return showLevel('tablelog', '%s')\">%s</a></th><td>%llu</td></tr>\n",
                    record.cssClass.c_str(), record.name.c_str(),
                    static_cast<unsigned long long>(record.count.load(std::memory_order_relaxed)));
      tail += row;
    }
    tail += "</table>\n</body>\n</html>\n";
  }
  writeAll(fd_, tail);
  ::close(fd_);
  fd_ = -1;
}

void configureLog(int levelMask, int format, int withPid) { logger.configure(levelMask, format, withPid); }
void closeLog() { logger.close(); }

void logMessage(int level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  logger.writeV(level, format, args);
  va_end(args);
}

void logInfo(const char* format, ...) {
  va_list args;
  va_start(args, format);
  logger.writeV(LogInfo, format, args);
  va_end(args);
}

void logError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  logger.writeV(LogError, format, args);
  va_end(args);
}

}  // namespace talvik
