// The developer-tool switches of the command line and their grammar.
#pragma once

#include <string>
#include <vector>

namespace talvik {

enum class Tool {
  Protocol,  // no switch, or one whose arguments do not fit: protocol mode
  Unknown,   // an unrecognised switch: warn, then protocol mode
  Help,
  TestSuite,
  PerftSuite,
  EvalSuite,
  CheckFenSuite,
  TestSee,
  PerftDetailed,
  Perft,
  Divide,
  BuildBook,
  Benchmark,
};

struct ToolRequest {
  Tool tool = Tool::Protocol;
  std::string file;       // EPD/PGN/suite file
  std::string bookFile;   // -buildbook output
  std::string fen;        // -fen form of the perft tools
  bool fenGiven = false;  // the -fen form was used (an empty FEN is then an error)
  int depth = 1;          // perft tools, -buildbook depth
  int count = 0;          // -buildbook count
  bool polyglotBook = false;  // -buildbook writes the Polyglot format
  // -testsuite / -benchmark, clamped to usable ranges
  int hashMb = 256;
  int threads = 1;
  bool timeMode = false;
  int value = 12;
  bool valuesGiven = false;  // at least the hash size was given
};

// Parses the arguments after the program name. Switches are compared
// exactly; numbers are read as decimal integers.
ToolRequest parseCommandLine(const std::vector<std::string>& args);

// The "-help" text.
std::string helpText();

}  // namespace talvik
