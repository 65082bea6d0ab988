// Whole command lines from a file descriptor (standard input in protocol
// mode). GUIs resend the whole game with every UCI "position" command, so a
// line may be far longer than any fixed buffer: it is always read whole and
// never split into several commands.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace talvik {

class InputReader {
 public:
  // Longer lines keep their first `maxLineLength` bytes; the rest of such a
  // line is dropped (a bound on memory, far above any real command).
  static constexpr std::size_t DefaultMaxLineLength = 64u << 20;

  explicit InputReader(int fd, std::size_t maxLineLength = DefaultMaxLineLength);
  ~InputReader();
  InputReader(const InputReader&) = delete;
  InputReader& operator=(const InputReader&) = delete;

  // Blocks for the next line and stores it without its line feed (and
  // without a carriage return before it); the text ends at a NUL byte, as
  // for any C string. A last line without a line feed is still a line.
  // Returns false at the end of input or once interrupt() was called.
  bool readLine(std::string& line);

  // True when readLine would not wait for the writer: a whole line is
  // buffered, input has ended, or the descriptor has bytes waiting. The
  // search's input poll must ask this rather than test the descriptor,
  // because lines already buffered here are invisible to select().
  bool inputWaiting() const;

  // Makes a blocked readLine, and every later one, return false. Safe to
  // call from another thread (this is how the input thread is stopped).
  void interrupt();

 private:
  // Waits until the descriptor is readable or interrupt() was called;
  // false on interrupt.
  bool waitReadable();
  // Reads one chunk into the buffer; sets ended_ at the end of input.
  void fill();
  bool takeLine(std::size_t lineFeed, std::string& line);

  int fd_;
  std::size_t maxLineLength_;
  int wakePipe_[2] = {-1, -1};
  std::string buffer_;
  std::size_t start_ = 0;  // first unread byte of buffer_
  std::size_t scan_ = 0;   // bytes before here hold no line feed
  bool ended_ = false;
  std::atomic<bool> interrupted_{false};
  bool discarding_ = false;  // dropping the tail of an overlong line
};

}  // namespace talvik
