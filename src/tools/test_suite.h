// The EPD test suite: search each position and score best-move ("bm") and
// avoid-move ("am") hits.
#pragma once

#include <string>
#include <string_view>

namespace talvik {

class Engine;
class ToolReportSink;

// One EPD line taken apart: the position, the operation and its moves.
struct EpdTask {
  bool hasOperation = false;  // a "bm" or "am" was found
  bool avoid = false;         // "am"
  std::string position;       // the text before the operation
  std::string expected;       // the operation's moves, zeros turned into 'O'
  std::string id;
};

EpdTask parseEpdLine(std::string_view line);

// Runs the suite in `fileName`; returns 1, or 0 when the file cannot be opened.
int runTestSuite(Engine& engine, ToolReportSink& sink, const std::string& fileName);

}  // namespace talvik
