// The evaluation suite and the FEN checker: one line of output per position.
#pragma once

#include <string>
#include <string_view>

namespace talvik {

class Engine;

// Prints "<line> ; eval <score>" for every valid FEN line; returns 1, or 0
// when the file cannot be opened.
int runEvalSuite(Engine& engine, const std::string& fileName);

// The syntax check of one FEN or EPD line (a character state machine that
// also counts pieces): true when the line is acceptable.
bool checkFenSyntax(std::string_view line);
// Checks every line of a file; returns 1, or 0 when it cannot be opened.
int runCheckFenSuite(const std::string& fileName);

}  // namespace talvik
