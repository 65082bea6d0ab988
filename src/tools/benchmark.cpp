#include "tools/benchmark.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "search/engine.h"
#include "search/game.h"
#include "search/search_driver.h"
#include "tools/line_reader.h"
#include "tools/tool_report_sink.h"

namespace talvik {

const std::vector<std::string>& benchmarkPositions() {
  static const std::vector<std::string> positions = {
      "r2qkbnr/ppp2p1p/2n5/3P4/2BP1pb1/2N2p2/PPPQ2PP/R1B2RK1 b kq -  ",
      "r2qkbnr/ppp2p1p/8/nB1P4/3P1pb1/2N2p2/PPPQ2PP/R1B2RK1 b kq - ",
      "r2qkbnr/pp3p1p/2p5/nB1P4/3P1Qb1/2N2p2/PPP3PP/R1B2RK1 b kq - ",
      "r2qkb1r/pp3p1p/2p2n2/nB1P4/3P1Qb1/2N2p2/PPP3PP/R1B1R1K1 b kq - ",
      "r2q1b1r/pp1k1p1p/2P2n2/nB6/3P1Qb1/2N2p2/PPP3PP/R1B1R1K1 b - - ",
      "r2q1b1r/p2k1p1p/2p2n2/nB6/3PNQb1/5p2/PPP3PP/R1B1R1K1 b - - ",
      "r2q1b1r/p2k1p1p/2p5/nB6/3Pn1Q1/5p2/PPP3PP/R1B1R1K1 b - - ",
      "r2q1b1r/p1k2p1p/2p5/nB6/3PR1Q1/5p2/PPP3PP/R1B3K1 b - - ",
      "r2q1b1r/p1k2p1p/8/np6/3PR3/5Q2/PPP3PP/R1B3K1 b - - ",
      "r4b1r/p1kq1p1p/8/np6/3P1R2/5Q2/PPP3PP/R1B3K1 b - - ",
      "r6r/p1kqbR1p/8/np6/3P4/5Q2/PPP3PP/R1B3K1 b - - ",
      "5r1r/p1kqbR1p/8/np6/3P1B2/5Q2/PPP3PP/R5K1 b - - ",
      "5r1r/p2qbR1p/1k6/np2B3/3P4/5Q2/PPP3PP/R5K1 b - - ",
      "5rr1/p2qbR1p/1k6/np2B3/3P4/2P2Q2/PP4PP/R5K1 b - - ",
      "5rr1/p2qbR1p/1kn5/1p2B3/3P4/2P2Q2/PP4PP/4R1K1 b - - ",
      "4qRr1/p3b2p/1kn5/1p2B3/3P4/2P2Q2/PP4PP/4R1K1 b - - ",
      "5qr1/p3b2p/1kn5/1p1QB3/3P4/2P5/PP4PP/4R1K1 b - - ",
      "5q2/p3b2p/1kn5/1p1QB1r1/P2P4/2P5/1P4PP/4R1K1 b - - ",
      "5q2/p3b2p/1kn5/3QB1r1/p1PP4/8/1P4PP/4R1K1 b - - ",
      "5q2/p3b2p/1k6/3QR1r1/p1PP4/8/1P4PP/6K1 b - - ",
      "5q2/p3b2p/1k6/4Q3/p1PP4/8/1P4PP/6K1 b - - ",
      "3q4/p3b2p/1k6/2P1Q3/p2P4/8/1P4PP/6K1 b - - ",
      "3q4/p3b2p/8/1kP5/p2P4/8/1P2Q1PP/6K1 b - - ",
      "3q4/p3b2p/8/2P5/pk1P4/3Q4/1P4PP/6K1 b - - ",
  };
  return positions;
}

int runBenchmark(Engine& engine, int hashMb, int threads, bool timeMode, int value, const std::string& fileName,
                 BenchmarkResult* result) {
  std::vector<std::string> positions;
  LineReader reader(fileName, 1023);
  if (reader.isOpen()) {
    std::string line;
    while (reader.next(line))
      if (line.size() > 2) positions.push_back(line);
  }
  if (positions.empty()) positions = benchmarkPositions();

  hashMb = std::clamp(hashMb, 1, 16384);
  threads = std::clamp(threads, 1, 64);
  value = timeMode ? std::max(value, 1) : std::clamp(value, 1, 127);

  ToolReportSink sink(&engine);
  engine.reportSink = &sink;
  engine.pool.setThreadCount(threads);
  engine.initialise(hashMb);
  engine.newGame();
  engine.testSuiteActive = 0;
  if (timeMode) {
    engine.limitMode = LimitMoveTime;
    engine.moveTimeUs = static_cast<int>(std::min<long long>(static_cast<long long>(value) * 1000000, INT_MAX));
  } else {
    engine.limitMode = LimitDepth;
    engine.depthLimit = value;
  }
  sink.quiet = true;
  const std::uint64_t start = wallClockUs();
  unsigned long long nodes = 0;
  int depthMin = 128, depthMax = 1, depthSum = 0;
  const int count = static_cast<int>(positions.size());
  for (int i = 0; i < count; ++i) {
    std::printf("position %d / %d\n", i + 1, count);
    std::fflush(stdout);
    engine.transTable.clear();
    if (!setPositionFromFen(engine, positions[i])) continue;
    searchRoot(engine, false);
    nodes += sink.nodes;
    depthMin = std::min(depthMin, sink.depth);
    depthMax = std::max(depthMax, sink.depth);
    depthSum += sink.depth;
  }
  const std::uint64_t elapsed = wallClockUs() - start;
  std::printf("Time : %.2f s (%s)\n", elapsed * 0.000001, durationText(elapsed).c_str());
  std::printf("Nodes : %llu\n", nodes);
  std::printf("Average speed : %d nodes/s\n", static_cast<int>(nodes * 1000000 / speedDivisor(elapsed)));
  if (timeMode) std::printf("Average depth = %d, min = %d, max = %d\n", depthSum / count, depthMin, depthMax);
  std::printf("Hash table size : %d Mb\n", hashMb);
  if (timeMode)
    std::printf("Search time : %d s\n", value);
  else
    std::printf("Search depth : %d\n", value);
  std::printf("Number of threads : %d\n", threads);
  std::fflush(stdout);
  engine.useBaseReportSink();
  engine.tearDown();
  if (result) *result = {nodes, count};
  return 1;
}

}  // namespace talvik
