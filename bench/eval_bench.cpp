// Evaluations per second over a fixed set of middle-game positions, each
// evaluated with a warm pawn table (as in a search, where most probes hit).
//
//   cmake --build build/release --target eval_bench && ./build/release/bench/eval_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "board/fen.h"
#include "eval/evaluate.h"
#include "eval/parameters.h"
#include "eval/pawn_structure.h"

using namespace talvik;

namespace {

const char* const MiddleGames[] = {
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7",
    "r2q1rk1/pp1nbppp/2p1pn2/3p4/2PP4/2N1PN2/PPQ1BPPP/R3K2R w KQ - 0 9",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3NP3/1BN1B3/PPP2PPP/R2Q1RK1 w - - 0 11",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/3P4/1P1BPN2/PBPN1PPP/2RQ1RK1 w - - 0 11",
    "r3k2r/pbpnqpp1/1p2p2p/3p4/2PPn3/P1B1PN2/1P1NBPPP/R2QK2R w KQkq - 0 12",
    "r4rk1/1bq1bppp/p2ppn2/1p4B1/4PP2/P1NB1Q2/1PP3PP/R4R1K w - - 0 15",
    "1r3rk1/p4ppp/2p1bn2/q2p4/3P4/P1N1P3/1PQ2PPP/R3KB1R w KQ - 0 15",
    "r1bqr1k1/pp3pbp/2np1np1/2p1p3/2P1P3/2NP1NP1/PP2QPBP/R1B2RK1 w - - 0 10",
    "3r1rk1/pp2qppp/2n1b3/2bpP3/8/2N2N2/PPQ2PPP/R1B2RK1 w - - 0 14",
    "r2qr1k1/1b1nbppp/p2p1n2/1pp1p3/4P3/1PP2N1P/PBBN1PP1/R2QR1K1 w - - 0 14",
    "2kr3r/ppp2ppp/2n1bn2/2b1p3/4P3/2NPBN2/PPP2PPP/2KR3R w - - 0 10",
};

// The positions set up with the built-in parameters installed.
std::vector<Board> middleGameBoards(Personality& personality) {
  initBitboardTables();
  installParameters(personality, false);
  std::vector<Board> boards;
  for (const char* fen : MiddleGames) {
    ParsedFen parsed;
    if (!parseFen(fen, parsed)) continue;
    Board board;
    setupBoard(board, parsed.mailbox, parsed.side, parsed.castleRights, parsed.epFile, 0);
    boards.push_back(board);
  }
  return boards;
}

void evaluationsPerSecond(benchmark::State& state) {
  Personality personality;
  const std::vector<Board> boards = middleGameBoards(personality);
  auto pawnHash = std::make_unique<PawnHashTable>();
  for (const Board& board : boards) evaluate(personality, board, *pawnHash);  // warm the pawn table
  for (auto _ : state)
    for (const Board& board : boards) benchmark::DoNotOptimize(evaluate(personality, board, *pawnHash));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(boards.size()));
}
BENCHMARK(evaluationsPerSecond);

// The pawn term computed from scratch (a pawn-table miss).
void pawnStructurePerSecond(benchmark::State& state) {
  Personality personality;
  const std::vector<Board> boards = middleGameBoards(personality);
  for (auto _ : state)
    for (const Board& board : boards) benchmark::DoNotOptimize(computePawnEntry(board));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(boards.size()));
}
BENCHMARK(pawnStructurePerSecond);

}  // namespace

BENCHMARK_MAIN();
