#include "protocol/uci_info.h"

#include <cinttypes>
#include <cstdio>

namespace talvik {

namespace {

constexpr int MateScore = 32000;
// Scores this far from zero are mates (a mate within 256 plies).
constexpr int MateBound = 31744;
constexpr std::uint64_t UnmeasuredUs = 16000;

}  // namespace

UciScore uciScore(int score) {
  // Being mated at ply p scores p - 32000: moves are plies / 2, and the
  // mating side's own move counts too.
  if (score >= MateBound) return {"mate", (MateScore - score) / 2 + 1};
  if (score <= -MateBound) return {"mate", -((score + MateScore) / 2)};
  return {"cp", score};
}

std::int64_t uciTimeMs(std::uint64_t elapsedUs) {
  if (elapsedUs == 0) elapsedUs = UnmeasuredUs;
  return static_cast<std::int64_t>(static_cast<double>(elapsedUs) * 0.001);
}

std::int64_t uciNodesPerSecond(std::uint64_t nodes, std::uint64_t elapsedUs) {
  if (elapsedUs == 0) elapsedUs = UnmeasuredUs;
  return static_cast<std::int64_t>(nodes * 1000000 / elapsedUs);
}

std::string uciPvLine(int line, int depth, int selDepth, int score, int bound, std::uint64_t nodes,
                      std::uint64_t elapsedUs, int hashFull, std::string_view pv, std::int64_t tableHits) {
  const UciScore shown = uciScore(score);
  const char* boundText = bound == 1 ? "upperbound " : bound == 2 ? "lowerbound " : "";
  char head[256];
  int length = 0;
  if (line != 0) length = std::snprintf(head, sizeof head, "info multipv %d ", line);
  else length = std::snprintf(head, sizeof head, "info ");
  length += std::snprintf(head + length, sizeof head - static_cast<std::size_t>(length),
                          "depth %d seldepth %d score %s %d %stime %" PRId64 " nodes %" PRIu64 " nps %" PRId64
                          " hashfull %d ",
                          depth, selDepth, shown.word, shown.value, boundText, uciTimeMs(elapsedUs), nodes,
                          uciNodesPerSecond(nodes, elapsedUs), hashFull);
  if (tableHits >= 0)
    length += std::snprintf(head + length, sizeof head - static_cast<std::size_t>(length), "tbhits %" PRId64 " ",
                            tableHits);
  std::snprintf(head + length, sizeof head - static_cast<std::size_t>(length), "pv ");
  std::string text(head);
  text.append(pv);
  return text;
}

}  // namespace talvik
