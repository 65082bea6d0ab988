#include "tools/test_suite.h"

#include <sys/time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/build_info.h"
#include "base/logger.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "search/engine.h"
#include "search/game.h"
#include "search/search_driver.h"
#include "tools/line_reader.h"
#include "tools/san_text.h"
#include "tools/tool_report_sink.h"

namespace talvik {

EpdTask parseEpdLine(std::string_view line) {
  EpdTask task;
  std::size_t op = std::string_view::npos;
  for (std::size_t i = 0; i + 1 < line.size(); ++i) {
    if ((line[i] == 'a' || line[i] == 'b') && line[i + 1] == 'm') {
      op = i;
      break;
    }
  }
  if (op == std::string_view::npos) return task;
  task.hasOperation = true;
  task.avoid = line[op] == 'a';
  task.position = std::string(line.substr(0, op));
  const std::size_t movesStart = std::min(op + 3, line.size());
  std::size_t semicolon = line.find(';', movesStart);
  task.expected = std::string(line.substr(movesStart, semicolon == std::string_view::npos ? std::string_view::npos
                                                                                            : semicolon - movesStart));
  std::replace(task.expected.begin(), task.expected.end(), '0', 'O');
  if (semicolon != std::string_view::npos && semicolon + 6 < line.size()) {
    const std::size_t idStart = semicolon + 6;
    const std::size_t quote = line.find('"', idStart);
    task.id = std::string(line.substr(idStart, quote == std::string_view::npos ? std::string_view::npos : quote - idStart));
  }
  return task;
}

int runTestSuite(Engine& engine, ToolReportSink& sink, const std::string& fileName) {
  LineReader reader(fileName, 511);
  if (!reader.isOpen()) {
    logError("file not found : %s", fileName.c_str());
    return 0;
  }
  engine.testSuiteActive = 1;
  std::printf("%s version %s\n\n", ProgramName, ProgramVersion);
  std::printf("Test suite : %s\n\n", fileName.c_str());
  const std::uint64_t start = wallClockUs();
  int lines = 0, passed = 0;
  std::uint64_t totalNodes = 0;
  unsigned depthMin = 1024, depthMax = 0, depthSum = 0;
  std::vector<std::string> badLines;

  std::string line;
  while (reader.next(line)) {
    if (line.size() < 2) continue;
    const EpdTask task = parseEpdLine(line);
    ++lines;
    if (!task.hasOperation) continue;
    std::printf("%s %s %s; id %s;\n\n", task.position.c_str(), task.avoid ? "am" : "bm", task.expected.c_str(),
                task.id.c_str());
    engine.transTable.clear();
    if (!setPositionFromFen(engine, task.position)) {
      std::printf("ERROR : bad FEN !\n");
      badLines.push_back(line);
      continue;
    }
    const Board before = engine.board;
    MoveList generated;
    const int count = generatePseudoLegal(before, generated.entries, sideToMoveInCheck(before));
    if (count == 0) {
      badLines.push_back(line);
      continue;
    }
    searchRoot(engine, false);
    if (engine.gameMoves.empty()) {
      std::printf("no result !\n");
      badLines.push_back(line);
      continue;
    }
    totalNodes += sink.nodes;
    const unsigned depth = static_cast<unsigned>(std::max(sink.depth, 0));
    depthMin = std::min(depthMin, depth);
    depthMax = std::max(depthMax, depth);
    depthSum += depth;
    const std::string san = suiteSanText(sink.bestMove, generated.entries, count);
    const std::string longForm = moveToDisplayText(sink.bestMove);
    const bool found = task.expected.find(san) != std::string::npos || task.expected.find(longForm) != std::string::npos;
    if (found != task.avoid) {
      ++passed;
      std::printf("result => '%s' : ok\n", san.c_str());
    } else {
      std::printf("result => '%s' : bad\n", san.c_str());
      badLines.push_back(line);
    }
  }

  if (lines > 0) {
    const std::uint64_t elapsed = wallClockUs() - start;
    std::printf("\nTime : %s\n", durationText(elapsed).c_str());
    std::printf("\nTotal nodes = %llu, Speed %d\n", static_cast<unsigned long long>(totalNodes),
                static_cast<int>(totalNodes * 1000000 / speedDivisor(elapsed)));
    std::printf("\nDepth min = %u, max = %u, average = %u\n", depthMin, depthMax, depthSum / lines);
    std::printf("\nScore = %d / %d\n", passed, lines);
    std::printf("\nBad results : \n\n");
    for (const std::string& bad : badLines) std::printf("%s\n", bad.c_str());
  }
  std::fflush(stdout);
  engine.testSuiteActive = 0;
  return 1;
}

}  // namespace talvik
