#include "app/command_line.h"

#include <algorithm>

#include "base/build_info.h"
#include "base/config.h"

namespace talvik {

namespace {

void readSuiteValues(const std::vector<std::string>& args, ToolRequest& request) {
  if (args.size() > 1) {
    request.hashMb = parseDecimal(args[1]);
    request.valuesGiven = true;
  }
  if (args.size() > 2) request.threads = parseDecimal(args[2]);
  if (args.size() > 3) request.timeMode = args[3] == "time";
  if (args.size() > 4) request.value = parseDecimal(args[4]);
  if (args.size() > 5) request.file = args[5];
  // Nonsense values fall back to the nearest usable ones: at least 1 MB of hash,
  // 1 to 64 threads, a depth of 1 to 127 plies or at least one second a move.
  request.hashMb = std::clamp(request.hashMb, 1, 16384);
  request.threads = std::clamp(request.threads, 1, 64);
  request.value = request.timeMode ? std::max(request.value, 1) : std::clamp(request.value, 1, 127);
}

// The perft tools: "<depth>" or "<depth> -fen <fen>".
bool readPerftForm(const std::vector<std::string>& args, ToolRequest& request) {
  if (args.size() == 2) {
    request.depth = parseDecimal(args[1]);
    return true;
  }
  if (args.size() == 4 && args[2] == "-fen") {
    request.depth = parseDecimal(args[1]);
    request.fen = args[3];
    request.fenGiven = true;
    return true;
  }
  return false;
}

}  // namespace

ToolRequest parseCommandLine(const std::vector<std::string>& args) {
  ToolRequest request;
  if (args.empty()) return request;
  const std::string& sw = args[0];
  const std::size_t n = args.size();
  Tool tool = Tool::Protocol;
  bool fits = false;
  if (sw == "-help") {
    tool = Tool::Help;
    fits = true;
  } else if (sw == "-testsuite" || sw == "-benchmark") {
    tool = sw == "-testsuite" ? Tool::TestSuite : Tool::Benchmark;
    fits = n <= 6;
    if (fits) readSuiteValues(args, request);
  } else if (sw == "-perftsuite") {
    tool = Tool::PerftSuite;
    fits = n == 2 || n == 3;
    if (fits) {
      request.file = args[1];
      request.depth = n == 3 ? parseDecimal(args[2]) : 1;
      if (request.depth < 0) request.depth = 5;
    }
  } else if (sw == "-evalsuite" || sw == "-checkfensuite" || sw == "-testsee") {
    tool = sw == "-evalsuite" ? Tool::EvalSuite : sw == "-checkfensuite" ? Tool::CheckFenSuite : Tool::TestSee;
    fits = n == 2;
    if (fits) request.file = args[1];
  } else if (sw == "-perftd" || sw == "-perft" || sw == "-divide") {
    tool = sw == "-perftd" ? Tool::PerftDetailed : sw == "-perft" ? Tool::Perft : Tool::Divide;
    fits = readPerftForm(args, request);
  } else if (sw == "-buildbook") {
    tool = Tool::BuildBook;
    // A trailing word "polyglot" asks for a book in that format.
    fits = n == 5 || (n == 6 && args[5] == "polyglot");
    if (fits) {
      request.file = args[1];
      request.bookFile = args[2];
      request.depth = parseDecimal(args[3]);
      request.count = parseDecimal(args[4]);
      request.polyglotBook = n == 6;
    }
  } else {
    request.tool = Tool::Unknown;
    return request;
  }
  request.tool = fits ? tool : Tool::Protocol;
  return request;
}

std::string helpText() {
  const std::string name = ProgramName;
  std::string text = bannerText() + "\n";
  text += "Built on " + buildStamp() + "\n";
  text += popcountText() + "\n\n";
  text += name + " -testsuite<htsize> <nbthreads> [depth|time] <value> <filename.epd>\n";
  text += name + " -perftsuite <filename.epd> <depth>\n";
  text += name + " -perft <depth>\n";
  text += name + " -perft <depth> -fen \"<fen-string>\"\n";
  text += name + " -perftd <depth>\n";
  text += name + " -perftd <depth> -fen \"<fen-string>\"\n";
  text += name + " -divide <depth>\n";
  text += name + " -divide <depth> -fen \"<fen-string>\"\n";
  text += name + " -buildbook <file.pgn> <file.bin> <depth> <count>\n";
  text += name + " -buildbook <file.pgn> <file.bin> <depth> <count> polyglot\n";
  text += name + " -benchmark <htsize> <nbthreads> [depth|time] <value> <filename.epd>\n";
  return text;
}

}  // namespace talvik
