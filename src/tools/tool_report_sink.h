// The report sink of the developer tools: it keeps the search result and
// writes a console thinking line for each principal variation.
#pragma once

#include <cstdint>
#include <string>

#include "search/report_sink.h"

namespace talvik {

class ToolReportSink : public ReportSink {
 public:
  explicit ToolReportSink(Engine* engine) : ReportSink(engine) {}

  void reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                      std::uint64_t elapsedUs) override;
  void reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                std::uint64_t elapsedUs, int selDepth, int bound) override;

  bool quiet = false;  // no thinking lines (benchmark)
  Move bestMove = NoMove;
  Move ponderMove = NoMove;
  int depth = 0;
  int selDepth = 0;
  std::uint64_t nodes = 0;
  std::uint64_t elapsedUs = 0;
};

// The console thinking line: "%2d/%-2u%c %s %llu %6d %7s %s", or the shorter
// form for later multi-PV lines.
std::string consoleThinkingLine(int line, int depth, int selDepth, int bound, std::uint64_t elapsedUs,
                                std::uint64_t nodes, int score, const Move* moves, int length);
// "+0.35", "-1.20", "+M3", "-M2".
std::string consoleScoreText(int score);
// "hh:mm:ss.mmm" of a duration in microseconds.
std::string durationText(std::uint64_t elapsedUs);
// Microseconds for speed computations: 0 µs counts as 16,000 µs (one clock tick).
inline std::uint64_t speedDivisor(std::uint64_t elapsedUs) { return elapsedUs == 0 ? 16000 : elapsedUs; }

}  // namespace talvik
