// Single-thread search speed: a fixed set of positions searched to a fixed
// depth from a cleared 16 MB table. Reports the total node count (a
// signature of the search's behaviour: it changes only when the search or
// the evaluation does) and nodes per second.
//
//   build/release/bench/search_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "search/engine.h"
#include "search/game.h"
#include "search/search_driver.h"

namespace talvik {
namespace {

const char* const BenchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ - 0 8",
    "r2q1rk1/1b1nbppp/p2ppn2/1p6/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - - 0 12",
    "2r3k1/pp3ppp/2n1b3/3pP3/3P4/2PB1N2/P4PPP/R5K1 b - - 3 21",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "6k1/5pp1/7p/3n4/8/2N3P1/5PKP/8 w - - 0 40",
    "8/8/1p1k4/p1p5/P1P2K2/1P6/8/8 w - - 0 50",
};

struct SilentEngine {
  SilentEngine() : engine(std::make_unique<Engine>()) {
    engine->initialise(16);
    engine->inputThreadActive = 1;
  }
  std::unique_ptr<Engine> engine;
};

std::uint64_t searchAll(Engine& engine, int depth) {
  std::uint64_t nodes = 0;
  for (const char* fen : BenchPositions) {
    engine.newGame();
    setPositionFromFen(engine, fen);
    engine.limitMode = LimitDepth;
    engine.depthLimit = depth;
    searchRoot(engine, false);
    nodes += engine.pool.totalNodes();
  }
  return nodes;
}

void SearchFixedDepth(benchmark::State& state) {
  SilentEngine silent;
  const int depth = static_cast<int>(state.range(0));
  std::uint64_t nodes = 0;
  for (auto _ : state) nodes += searchAll(*silent.engine, depth);
  state.counters["nodes"] = static_cast<double>(nodes) / static_cast<double>(state.iterations());
  state.counters["nps"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
}
BENCHMARK(SearchFixedDepth)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvik

BENCHMARK_MAIN();
