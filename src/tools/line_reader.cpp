#include "tools/line_reader.h"

#include <sys/time.h>

namespace talvik {

LineReader::LineReader(const std::string& fileName, std::size_t maxLength)
    : file_(fileName.empty() ? nullptr : std::fopen(fileName.c_str(), "rb")), maxLength_(maxLength) {}

LineReader::~LineReader() {
  if (file_) std::fclose(file_);
}

bool LineReader::next(std::string& line) {
  line.clear();
  if (!file_) return false;
  int c;
  bool any = false;
  while ((c = std::fgetc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (line.size() < maxLength_) line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return any;
}

std::uint64_t wallClockUs() {
  timeval now{};
  gettimeofday(&now, nullptr);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_usec);
}

}  // namespace talvik
