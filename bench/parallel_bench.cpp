// Parallel search speed: the benchmark positions searched to a fixed depth
// on one and on two threads (or on n with --threads=n), alternately (so that
// a change in the load of a shared machine hits both alike), each search
// from a cleared table.
//
// The machine may be shared: the kernel's per-thread scheduler statistics
// split each thread's time into running, waiting for a processor (another
// program's load) and blocked (an idle helper, a master waiting for its
// helpers). The "net" figures take the waits for a processor out of the
// wall time: the time the search would take on a machine of its own.
//
// Prints one line per position and reports as counters:
//   speedup, net_speedup      median over the positions of time-to-depth on
//                             one thread / on two threads
//   suite_speedup  the whole suite's time on one thread / on two threads
//   nps_ratio, net_nps_ratio  nodes per second on two threads / on one
//   node_ratio   nodes searched on two threads / on one thread (extra work)
//   node_ratio_median  the same per position, median over the positions
//                (less swayed by the few positions that blow up)
//   cpu_efficiency  nodes per processor second on two threads / on one
//                (the cost of sharing: locks, splits, caches)
//   running, waiting, blocked shares of the two threads' time (two-thread runs)
//   splits, helpers   split points made and helpers booked at them (the
//                     per-position lines give each position's splits)
//   load_before, load_after   one-minute load average of the machine
//
// With more threads than processors (--threads=4 on two cores) the net
// figures also take out the waits the threads cause each other; compare
// the plain speedup then.
//
//   build/release/bench/parallel_bench --benchmark_filter=/12 --repeats=3
//   build/release/bench/parallel_bench --benchmark_filter=/12 --repeats=3 --threads=4
//
// --position=n searches the nth position only; --min-split-depth=n sets the
// minimum split depth in plies, as the MinSplitDepth setting does.
#include <benchmark/benchmark.h>

#include <dirent.h>

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
#include "tools/benchmark.h"

namespace talvik {
namespace {

int repeats = 2;  // searches per position and thread count (--repeats=n)
int parallelThreads = 2;  // threads of the parallel engine (--threads=n)
int onlyPosition = 0;  // search only this position, 1-based (--position=n)

struct Measure {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  double queuedSeconds = 0;  // runnable but waiting for a processor
  std::uint64_t nodes = 0;
  // Wall time less the average wait for a processor per thread.
  double netSeconds(int threads) const { return wallSeconds - queuedSeconds / threads; }
};

// Seconds on a processor and waiting for one, summed over the process's threads.
struct SchedulerTimes {
  double running = 0;
  double queued = 0;
};

SchedulerTimes schedulerTimes() {
  SchedulerTimes times;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return times;
  while (dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    const std::string path = std::string("/proc/self/task/") + entry->d_name + "/schedstat";
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
      unsigned long long running = 0, queued = 0;
      if (std::fscanf(file, "%llu %llu", &running, &queued) == 2) {
        times.running += static_cast<double>(running) * 1e-9;
        times.queued += static_cast<double>(queued) * 1e-9;
      }
      std::fclose(file);
    }
  }
  closedir(tasks);
  return times;
}

class SilentEngine {
 public:
  explicit SilentEngine(int threads) : engine(std::make_unique<Engine>()) {
    engine->pool.setThreadCount(threads);
    engine->initialise(64);
    engine->inputThreadActive = 1;
  }
  Measure search(const std::string& fen, int depth) {
    engine->newGame();  // clears the table
    setPositionFromFen(*engine, fen);
    engine->limitMode = LimitDepth;
    engine->depthLimit = depth;
    const SchedulerTimes before = schedulerTimes();
    const auto start = std::chrono::steady_clock::now();
    searchRoot(*engine, false);
    Measure m;
    m.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const SchedulerTimes after = schedulerTimes();
    m.cpuSeconds = after.running - before.running;
    m.queuedSeconds = after.queued - before.queued;
    m.nodes = engine->pool.totalNodes();
    return m;
  }
  std::unique_ptr<Engine> engine;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median of `repeats` searches (by wall time).
Measure medianOf(std::vector<Measure> runs) {
  std::sort(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) { return a.wallSeconds < b.wallSeconds; });
  return runs[runs.size() / 2];
}

void ParallelSpeedup(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  SilentEngine one(1);
  SilentEngine two(parallelThreads);
  const auto& positions = benchmarkPositions();
  for (auto _ : state) {
    const double loadBefore = loadAverage();
    std::vector<double> speedups, netSpeedups, nodeRatios;
    Measure total1, total2;
    std::printf("%3s %8s %8s %7s %8s %8s %7s %10s %10s %5s %5s %7s\n", "pos", "time1 s", "time2 s", "speedup", "net1 s",
                "net2 s", "net spd", "nodes1", "nodes2", "cpu2", "wait2", "splits");
    for (std::size_t i = 0; i < positions.size(); ++i) {
      if (onlyPosition != 0 && i + 1 != static_cast<std::size_t>(onlyPosition)) continue;
      const std::uint64_t splitsBefore = two.engine->pool.statistics.splits.load();
      std::vector<Measure> runs1, runs2;
      for (int r = 0; r < repeats; ++r) {
        // Alternate which thread count goes first.
        if (r % 2 == 0) {
          runs1.push_back(one.search(positions[i], depth));
          runs2.push_back(two.search(positions[i], depth));
        } else {
          runs2.push_back(two.search(positions[i], depth));
          runs1.push_back(one.search(positions[i], depth));
        }
      }
      const Measure m1 = medianOf(runs1);
      const Measure m2 = medianOf(runs2);
      speedups.push_back(m1.wallSeconds / std::max(m2.wallSeconds, 1e-9));
      netSpeedups.push_back(m1.netSeconds(1) / std::max(m2.netSeconds(parallelThreads), 1e-9));
      nodeRatios.push_back(static_cast<double>(m2.nodes) / static_cast<double>(std::max<std::uint64_t>(m1.nodes, 1)));
      for (auto [total, m] : {std::pair{&total1, m1}, std::pair{&total2, m2}}) {
        total->wallSeconds += m.wallSeconds;
        total->cpuSeconds += m.cpuSeconds;
        total->queuedSeconds += m.queuedSeconds;
        total->nodes += m.nodes;
      }
      std::printf("%3zu %8.3f %8.3f %7.2f %8.3f %8.3f %7.2f %10llu %10llu %5.2f %5.2f %7llu\n", i + 1, m1.wallSeconds,
                  m2.wallSeconds, speedups.back(), m1.netSeconds(1), m2.netSeconds(parallelThreads), netSpeedups.back(),
                  static_cast<unsigned long long>(m1.nodes), static_cast<unsigned long long>(m2.nodes),
                  m2.cpuSeconds / m2.wallSeconds, m2.queuedSeconds / m2.wallSeconds,
                  static_cast<unsigned long long>((two.engine->pool.statistics.splits.load() - splitsBefore) / repeats));
      std::fflush(stdout);
    }
    const double nodes1 = static_cast<double>(total1.nodes);
    const double nodes2 = static_cast<double>(total2.nodes);
    const double threadSeconds2 = parallelThreads * total2.wallSeconds;
    state.counters["speedup"] = median(speedups);
    state.counters["net_speedup"] = median(netSpeedups);
    state.counters["suite_speedup"] = total1.wallSeconds / std::max(total2.wallSeconds, 1e-9);
    state.counters["nps_ratio"] = (nodes2 / total2.wallSeconds) / (nodes1 / total1.wallSeconds);
    state.counters["net_nps_ratio"] = (nodes2 / total2.netSeconds(parallelThreads)) / (nodes1 / total1.netSeconds(1));
    state.counters["node_ratio"] = nodes2 / nodes1;
    state.counters["node_ratio_median"] = median(nodeRatios);
    state.counters["cpu_efficiency"] = (nodes2 / total2.cpuSeconds) / (nodes1 / total1.cpuSeconds);
    state.counters["running"] = total2.cpuSeconds / threadSeconds2;
    state.counters["waiting"] = total2.queuedSeconds / threadSeconds2;
    state.counters["blocked"] = 1 - (total2.cpuSeconds + total2.queuedSeconds) / threadSeconds2;
    state.counters["time1"] = total1.wallSeconds;
    state.counters["time2"] = total2.wallSeconds;
    state.counters["splits"] = static_cast<double>(two.engine->pool.statistics.splits.load());
    state.counters["helpers"] = static_cast<double>(two.engine->pool.statistics.helpersBooked.load());
    state.counters["load_before"] = loadBefore;
    state.counters["load_after"] = loadAverage();
  }
}
BENCHMARK(ParallelSpeedup)->Arg(10)->Arg(12)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace talvik

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--repeats=", 10) == 0) talvik::repeats = std::max(1, std::atoi(argv[i] + 10));
    else if (std::strncmp(argv[i], "--min-split-depth=", 18) == 0)
      talvik::minSplitDepth = 2 * std::max(1, std::atoi(argv[i] + 18));
    else if (std::strncmp(argv[i], "--position=", 11) == 0) talvik::onlyPosition = std::atoi(argv[i] + 11);
    else if (std::strncmp(argv[i], "--threads=", 10) == 0) talvik::parallelThreads = std::clamp(std::atoi(argv[i] + 10), 2, 64);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
