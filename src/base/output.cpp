#include "base/output.h"

#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "base/logger.h"
#include "base/write_all.h"

namespace talvik {

void writeStandardOutput(std::string_view text) {
  // Text that stdio still buffers must come out first, or the order of the
  // lines on the pipe would change.
  std::fflush(stdout);
  writeAll(STDOUT_FILENO, text);
}

void sendText(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 1);
  line.append(text);
  line += '\n';
  writeStandardOutput(line);
  logMessage(LogGui, ">> %.*s", static_cast<int>(std::min<std::size_t>(text.size(), 4096)), text.data());
}

void sendLine(const char* format, ...) {
  char text[4096];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  sendText(text);
}

}  // namespace talvik
