// The texts of UCI "info" lines: scores in centipawns or moves to mate, and
// the principal-variation line with its time and speed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace talvik {

// A score as UCI reports it: "cp" with centipawns, or "mate" with the number
// of moves to mate (negative when the engine is being mated).
struct UciScore {
  const char* word;
  int value;
};
UciScore uciScore(int score);

// The reported time of a search: 16 ms when no time could be measured (the
// granularity of the coarsest clocks), else whole milliseconds.
std::int64_t uciTimeMs(std::uint64_t elapsedUs);
// Nodes per second over the same time (16 ms when none was measured).
std::int64_t uciNodesPerSecond(std::uint64_t nodes, std::uint64_t elapsedUs);

// "info [multipv N ]depth D seldepth S score cp|mate V [upperbound |lowerbound ]time T
// nodes N nps R hashfull H [tbhits T ]pv ...". `line` 0 is single-PV mode;
// `bound` 0 exact, 1 upper (failed low), 2 lower (failed high); `hashFull`
// per mille; `tableHits` negative when no endgame tables are open.
std::string uciPvLine(int line, int depth, int selDepth, int score, int bound, std::uint64_t nodes,
                      std::uint64_t elapsedUs, int hashFull, std::string_view pv, std::int64_t tableHits = -1);

}  // namespace talvik
