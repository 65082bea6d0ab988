// The benchmark: a fixed list of positions (or a file of them) searched to a
// depth or for a time, with the node count and speed. With one thread and a
// given depth and hash size its node count is the bench signature: the same
// on every run and machine for the same code.
#pragma once

#include <string>
#include <vector>

namespace talvik {

class Engine;

// The 24 built-in positions, trailing blanks included.
const std::vector<std::string>& benchmarkPositions();

struct BenchmarkResult {
  unsigned long long nodes = 0;
  int positions = 0;
};

// Initialises the engine itself and tears it down at the end. Returns 1.
int runBenchmark(Engine& engine, int hashMb, int threads, bool timeMode, int value, const std::string& fileName,
                 BenchmarkResult* result = nullptr);

}  // namespace talvik
