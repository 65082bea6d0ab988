// Reply lines to the GUI. Every protocol reply and every perft report line
// goes through sendLine or sendText, so the log (level GUI) is a transcript
// of everything the engine said.
#pragma once

#include <string_view>

namespace talvik {

// Formats into a 4096-byte buffer (longer text is cut), writes it and a line
// feed to standard output with one write, then logs ">> " and the text.
void sendLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same for a ready-made text, which is never cut.
void sendText(std::string_view text);
// Writes text to standard output with one write, without logging it (for
// console output that is not part of the protocol).
void writeStandardOutput(std::string_view text);

}  // namespace talvik
