#include "tools/tool_report_sink.h"

#include <cstdio>

#include "base/logger.h"
#include "board/move_text.h"

namespace talvik {

std::string durationText(std::uint64_t elapsedUs) {
  const std::uint64_t ms = elapsedUs / 1000;
  char text[48];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u", static_cast<unsigned>(ms / 3600000),
                static_cast<unsigned>(ms % 3600000 / 60000), static_cast<unsigned>(ms % 60000 / 1000),
                static_cast<unsigned>(ms % 1000));
  return text;
}

std::string consoleScoreText(int score) {
  char text[32];
  if (score <= -31744)
    std::snprintf(text, sizeof text, "-M%d", (score + 32000) / 2);
  else if (score >= 31744)
    std::snprintf(text, sizeof text, "+M%d", (32000 - score) / 2 + 1);
  else
    std::snprintf(text, sizeof text, score >= 0 ? "+%.2f" : "%.2f", score / 100.0);
  return text;
}

std::string consoleThinkingLine(int line, int depth, int selDepth, int bound, std::uint64_t elapsedUs,
                                std::uint64_t nodes, int score, const Move* moves, int length) {
  std::string pv;
  for (int i = 0; i < length; ++i) pv += moveToDisplayText(moves[i]) + " ";
  const std::string time = durationText(elapsedUs);
  const int speed = static_cast<int>(nodes * 1000 / speedDivisor(elapsedUs));
  const std::string scoreText = consoleScoreText(score);
  char text[4096];
  if (line < 2)
    std::snprintf(text, sizeof text, "%2d/%-2u%c %s %llu %6d %7s %s", depth, static_cast<unsigned>(selDepth),
                  " -+"[bound >= 0 && bound <= 2 ? bound : 0], time.c_str(), static_cast<unsigned long long>(nodes),
                  speed, scoreText.c_str(), pv.c_str());
  else
    std::snprintf(text, sizeof text, "       %s %llu %6d %7s %s", time.c_str(), static_cast<unsigned long long>(nodes),
                  speed, scoreText.c_str(), pv.c_str());
  return text;
}

void ToolReportSink::reportBestMove(int, Move best, Move ponder, int searchDepth, int searchSelDepth,
                                    std::uint64_t searchNodes, std::uint64_t elapsed) {
  bestMove = best;
  ponderMove = ponder;
  depth = searchDepth;
  selDepth = searchSelDepth;
  nodes = searchNodes;
  elapsedUs = elapsed;
}

void ToolReportSink::reportPv(int line, int pvDepth, int score, const Move* moves, int length,
                              std::uint64_t pvNodes, std::uint64_t elapsed, int pvSelDepth, int bound) {
  if (quiet) return;
  const std::string text = consoleThinkingLine(line, pvDepth, pvSelDepth, bound, elapsed, pvNodes, score, moves, length);
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
  logInfo("%s", text.c_str());
}

}  // namespace talvik
