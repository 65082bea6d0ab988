#include "protocol/input_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace talvik {

InputReader::InputReader(int fd, std::size_t maxLineLength) : fd_(fd), maxLineLength_(maxLineLength) {
  // Without the wake pipe interrupt() still works for readers that are not
  // blocked; a blocked reader then ends only with its input.
  if (pipe2(wakePipe_, O_CLOEXEC) != 0) wakePipe_[0] = wakePipe_[1] = -1;
}

InputReader::~InputReader() {
  if (wakePipe_[0] >= 0) ::close(wakePipe_[0]);
  if (wakePipe_[1] >= 0) ::close(wakePipe_[1]);
}

bool InputReader::readLine(std::string& line) {
  for (;;) {
    if (interrupted_) return false;
    const std::size_t lineFeed = buffer_.find('\n', scan_);
    if (lineFeed != std::string::npos) return takeLine(lineFeed, line);
    scan_ = buffer_.size();
    if (buffer_.size() - start_ > maxLineLength_) {
      buffer_.resize(start_ + maxLineLength_);
      scan_ = buffer_.size();
      discarding_ = true;
    }
    if (ended_) return start_ < buffer_.size() && takeLine(buffer_.size(), line);
    if (!waitReadable()) return false;
    fill();
  }
}

bool InputReader::takeLine(std::size_t lineFeed, std::string& line) {
  line.assign(buffer_, start_, std::min(lineFeed - start_, maxLineLength_));
  start_ = lineFeed < buffer_.size() ? lineFeed + 1 : buffer_.size();
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 65536 && start_ > buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  scan_ = start_;
  const std::size_t nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool InputReader::waitReadable() {
  pollfd fds[2] = {{fd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
  const nfds_t count = wakePipe_[0] >= 0 ? 2 : 1;
  for (;;) {
    const int ready = ::poll(fds, count, -1);
    if (interrupted_) return false;
    if (ready > 0) return true;  // readable, hung up or invalid: read() tells which
    if (ready < 0 && errno != EINTR) {
      ended_ = true;
      return true;
    }
  }
}

void InputReader::fill() {
  char chunk[16384];
  const ssize_t n = ::read(fd_, chunk, sizeof chunk);
  if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
    ended_ = true;
    return;
  }
  if (n < 0) return;
  std::size_t from = 0;
  if (discarding_) {
    // The tail of an overlong line goes nowhere, up to its line feed.
    const char* end = chunk + n;
    const char* lineFeed = std::find(static_cast<const char*>(chunk), end, '\n');
    if (lineFeed == end) return;
    from = static_cast<std::size_t>(lineFeed - chunk);
    discarding_ = false;
  }
  buffer_.append(chunk + from, static_cast<std::size_t>(n) - from);
}

bool InputReader::inputWaiting() const {
  if (interrupted_ || ended_ || buffer_.find('\n', scan_) != std::string::npos) return true;
  pollfd fd{fd_, POLLIN, 0};
  return ::poll(&fd, 1, 0) > 0;
}

void InputReader::interrupt() {
  interrupted_ = true;
  if (wakePipe_[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe_[1], &byte, 1);
  }
}

}  // namespace talvik
