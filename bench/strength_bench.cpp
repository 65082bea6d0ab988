// The strength limit's nodes-per-second cap, checked from outside the
// search: for several Elo settings and time controls, a search is timed with
// the wall clock around it and its nodes are counted after it; the achieved
// rate is printed next to the cap. The cap holds when the rate stays at or
// below it (on a busy machine the engine may not reach a high cap at all).
// For the clock controls the table also shows what the clock would still
// hold after the move.
//
// Prints one line per search and reports as counters:
//   worst_ratio      the highest achieved rate / cap over the searches of at
//                    least 200 ms
//   min_clock_left   the least time left on a clock after a move, ms
//   load_before, load_after   one-minute load average of the machine
//
//   build/release/bench/strength_bench [--threads=2]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "load_average.h"
#include "search/engine.h"
#include "search/game.h"
#include "search/search_driver.h"
#include "search/strength.h"
#include "tools/benchmark.h"

namespace talvik {
namespace {

int threads = 1;  // --threads=n

struct TimeControl {
  const char* name;
  int limitMode;
  int moveTimeMs;   // movetime controls
  float clockMs;    // clock controls: time left, increment, moves to go
  int incrementMs;
  int movesToGo;
  int positions;    // how many of the benchmark positions it is tried on
};

// Clock controls are taken at the tenth move of a game, past the longer
// opening moves: 1+0.01, 10+0.1, 40 moves in 5 minutes.
constexpr TimeControl TimeControls[] = {
    {"movetime 200", LimitMoveTime, 200, 0, 0, 0, 3},
    {"movetime 1000", LimitMoveTime, 1000, 0, 0, 0, 3},
    {"1+0.01", LimitClock, 0, 1000, 10, 0, 3},
    {"10+0.1", LimitClock, 0, 10000, 100, 0, 3},
    {"40/5min", LimitClock, 0, 300000, 0, 40, 1},
};
constexpr int EloSettings[] = {1000, 1500, 2000, 2500, 3000, 3199};

void StrengthCap(benchmark::State& state) {
  auto engine = std::make_unique<Engine>();
  engine->pool.setThreadCount(threads);
  engine->initialise(16);
  engine->inputThreadActive = 1;
  const auto& positions = benchmarkPositions();
  for (auto _ : state) {
    const double loadBefore = loadAverage();
    double worstRatio = 0;
    double minClockLeftMs = 1e12;
    std::printf("%-14s %5s %9s %5s %9s %9s %9s %9s %6s %10s\n", "control", "elo", "cap nps", "pos", "budget ms",
                "time ms", "nodes", "nps", "ratio", "clock left");
    for (const TimeControl& tc : TimeControls) {
      for (int elo : EloSettings) {
        setStrength(*engine, elo);
        for (int p = 0; p < tc.positions; ++p) {
          engine->newGame();
          setPositionFromFen(*engine, positions[static_cast<std::size_t>(p) * 7 % positions.size()]);
          engine->limitMode = tc.limitMode;
          engine->moveTimeUs = tc.moveTimeMs * 1000;
          engine->clockMs[0] = tc.clockMs;
          engine->clockMs[1] = tc.clockMs;
          engine->increment[0] = engine->increment[1] = tc.incrementMs;
          engine->movesToGo = tc.movesToGo;
          engine->searchesThisGame = 10;
          const auto start = std::chrono::steady_clock::now();
          searchRoot(*engine, false);
          const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
          const double nodes = static_cast<double>(engine->pool.totalNodes());
          const double nps = nodes * 1000.0 / std::max(ms, 1e-3);
          const double cap = static_cast<double>(engine->npsLimit);
          const double ratio = nps / cap;
          if (ms >= 200) worstRatio = std::max(worstRatio, ratio);
          char clockLeft[32] = "";
          if (tc.limitMode == LimitClock) {
            const double left = tc.clockMs - ms;
            minClockLeftMs = std::min(minClockLeftMs, left);
            std::snprintf(clockLeft, sizeof clockLeft, "%.0f", left);
          }
          std::printf("%-14s %5d %9.0f %5d %9.0f %9.0f %9.0f %9.0f %6.3f %10s\n", tc.name, elo, cap, p + 1,
                      engine->timeBudgetUs / 1000.0, ms, nodes, nps, ratio, clockLeft);
          std::fflush(stdout);
        }
      }
    }
    state.counters["worst_ratio"] = worstRatio;
    state.counters["min_clock_left"] = minClockLeftMs;
    state.counters["load_before"] = loadBefore;
    state.counters["load_after"] = loadAverage();
  }
}
BENCHMARK(StrengthCap)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace talvik

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--threads=", 10) == 0) talvik::threads = std::clamp(std::atoi(argv[i] + 10), 1, 64);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
