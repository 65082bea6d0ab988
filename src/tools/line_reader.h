// Reading a text file line by line for the suite tools: each line without its
// line end, cut at a maximum length (the rest of an overlong line is skipped,
// never read as a line of its own). Also the wall clock the tools time with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace talvik {

class LineReader {
 public:
  LineReader(const std::string& fileName, std::size_t maxLength);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  bool next(std::string& line);

 private:
  std::FILE* file_;
  std::size_t maxLength_;
};

// Microseconds of wall-clock time.
std::uint64_t wallClockUs();

}  // namespace talvik
