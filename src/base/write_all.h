// Writing a whole text to a file descriptor.
#pragma once

#include <string_view>

namespace talvik {

// Writes all of `text` to `fd` with one write() whenever the descriptor
// takes it at once (so concurrent lines stay whole), continuing after
// interruptions and partial writes. Errors end it quietly: a log or a GUI
// that has gone must never stop the engine.
void writeAll(int fd, std::string_view text);

}  // namespace talvik
