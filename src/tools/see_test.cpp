#include "tools/see_test.h"

#include <cstdio>

#include "base/logger.h"
#include "board/movegen.h"
#include "board/see.h"
#include "search/engine.h"
#include "search/game.h"
#include "tools/line_reader.h"
#include "tools/tool_report_sink.h"

namespace talvik {

int runSeeTest(Engine& engine, const std::string& fileName, SeeTestCounts* counts) {
  LineReader reader(fileName, 511);
  if (!reader.isOpen()) {
    logError("file not found : %s", fileName.c_str());
    return 0;
  }
  const std::uint64_t start = wallClockUs();
  SeeTestCounts total;
  std::string line;
  while (reader.next(line)) {
    if (line.size() < 2) continue;
    for (std::size_t at = line.find("bm"); at != std::string::npos; at = line.find("bm", at + 2)) {
      engine.transTable.clear();
      if (!setPositionFromFen(engine, line.substr(0, at))) continue;
      MoveList list;
      const int count = generatePseudoLegal(engine.board, list.entries, sideToMoveInCheck(engine.board));
      for (int i = 0; i < count; ++i) list.entries[i].score = staticExchange(engine.board, list.entries[i].move);
      total.exchanges += count;
      ++total.positions;
    }
  }
  const std::uint64_t elapsed = wallClockUs() - start;
  std::printf("Count positions = %d\n", total.positions);
  std::printf("Count SEE = %d\n", total.exchanges);
  std::printf("Time = %s\n", durationText(elapsed).c_str());
  std::printf("Speed : %d SEE/s\n",
              static_cast<int>(static_cast<std::uint64_t>(total.exchanges) * 1000000 / speedDivisor(elapsed)));
  std::fflush(stdout);
  if (counts) *counts = total;
  return 1;
}

}  // namespace talvik
