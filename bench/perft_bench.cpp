// Leaf-count speed: the perft recursion with make, legality test and unmake at
// every leaf. Reports leaves per second as the "leaves" rate counter.
//
//   build/release/bench/perft_bench --benchmark_min_time=1x
#include <benchmark/benchmark.h>

#include "board/fen.h"
#include "tools/leaf_count.h"

namespace {

using namespace talvik;

Board boardFrom(const char* fen) {
  initBitboardTables();
  ParsedFen parsed;
  Board board{};
  if (!parseFen(fen, parsed)) return board;
  setupBoard(board, parsed.mailbox, parsed.side, parsed.castleRights, parsed.epFile,
             static_cast<std::uint8_t>(parsed.halfmoveClock));
  return board;
}

void countFrom(benchmark::State& state, const char* fen, int depth, std::uint64_t expected) {
  Board board = boardFrom(fen);
  std::uint64_t leaves = 0;
  for (auto _ : state) {
    leaves = countLeaves(board, depth);
    benchmark::DoNotOptimize(leaves);
  }
  if (leaves != expected) state.SkipWithError("wrong leaf count");
  state.counters["leaves"] =
      benchmark::Counter(static_cast<double>(leaves) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void StartPositionDepth6(benchmark::State& state) {
  countFrom(state, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 6, 119'060'324);
}
void KiwipeteDepth5(benchmark::State& state) {
  countFrom(state, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 5, 193'690'690);
}

BENCHMARK(StartPositionDepth6)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(KiwipeteDepth5)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
