// What the command line asks of a developer tool: the program entry parses
// the switches into this record and hands it to the tool.
#pragma once

#include <string>

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

}  // namespace talvik
