// Perft over a file of positions with their published counts, one EPD-style
// line each: a FEN, then fields such as ";D1 20 ;D2 400".
#pragma once

#include <string>
#include <vector>

namespace talvik {

class Engine;

// The expected-count fields of a suite line, each as the letter D (or d),
// the depth digits, a space and the count digits ("D3 8902"). At most 16.
std::vector<std::string> scanCountFields(const std::string& line);
// The count text of the first field for `depth`, or "" when there is none.
std::string expectedCountText(const std::vector<std::string>& fields, int depth);

struct PerftSuiteScore {
  bool opened = false;
  int passed = 0;
  int total = 0;  // lines that are not blank
};

// Counts every line of the file at `depth` on the engine's board. A line
// passes when the count equals its field for that depth; a line whose FEN
// cannot be read, or that has no field for the depth, fails.
PerftSuiteScore scorePerftSuite(Engine& engine, const std::string& fileName, int depth);
// Initialises the engine with its configured hash size, scores the file and
// prints "score = passed / total" on standard output (not a protocol line,
// so it is not logged). Returns 0 when the file cannot be opened, else 1.
int runPerftSuite(Engine& engine, const std::string& fileName, int depth);

}  // namespace talvik
