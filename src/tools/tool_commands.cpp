#include "tools/tool_commands.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "base/build_info.h"
#include "book/book_builder.h"
#include "search/engine.h"
#include "tools/benchmark.h"
#include "tools/eval_suite.h"
#include "tools/see_test.h"
#include "tools/test_suite.h"
#include "tools/tool_report_sink.h"

namespace talvik {

namespace {

// The set-up of the evaluation suite, the FEN check and the SEE test: the
// configured hash size, a new game and a fixed move time that goes unused.
void initialiseForSuite(Engine& engine) {
  engine.initialise(engine.settings.hashMb);
  engine.newGame();
  engine.limitMode = LimitMoveTime;
  engine.moveTimeUs = 10000000;
}

// Runs a tool with the tools' report sink installed and the engine set up as
// above; the engine is torn down afterwards.
template <typename Tool>
int runWithToolSink(Engine& engine, Tool&& tool) {
  ToolReportSink sink(&engine);
  engine.reportSink = &sink;
  initialiseForSuite(engine);
  tool();
  engine.useBaseReportSink();
  engine.tearDown();
  return 0;
}

}  // namespace

int commandTestSuite(Engine& engine, const ToolRequest& request) {
  if (request.file.empty()) {
    std::fprintf(stderr, "usage: %s -testsuite <htsize> <nbthreads> [depth|time] <value> <filename.epd>\n",
                 ProgramName);
    return 1;
  }
  const int hashMb = std::clamp(request.hashMb, 1, 16384);
  const int threads = std::clamp(request.threads, 1, 64);
  const int value = request.timeMode ? std::max(request.value, 1) : std::clamp(request.value, 1, 128);
  ToolReportSink sink(&engine);
  engine.reportSink = &sink;
  engine.pool.setThreadCount(threads);
  engine.initialise(hashMb);
  engine.newGame();
  if (request.timeMode) {
    engine.limitMode = LimitMoveTime;
    engine.moveTimeUs = static_cast<int>(std::min<long long>(static_cast<long long>(value) * 1000000, INT_MAX));
  } else {
    engine.limitMode = LimitDepth;
    engine.depthLimit = std::min(value, 127);
  }
  const int ran = runTestSuite(engine, sink, request.file);
  engine.useBaseReportSink();
  engine.tearDown();
  return ran ? 0 : 1;
}

int commandBenchmark(Engine& engine, const ToolRequest& request) {
  runBenchmark(engine, request.hashMb, request.threads, request.timeMode, request.value, request.file);
  return 0;
}

int commandEvalSuite(Engine& engine, const ToolRequest& request) {
  return runWithToolSink(engine, [&] { runEvalSuite(engine, request.file); });
}

int commandCheckFenSuite(Engine& engine, const ToolRequest& request) {
  return runWithToolSink(engine, [&] { runCheckFenSuite(request.file); });
}

int commandTestSee(Engine& engine, const ToolRequest& request) {
  return runWithToolSink(engine, [&] { runSeeTest(engine, request.file); });
}

int commandBuildBook(Engine& engine, const ToolRequest& request) {
  engine.initialise(32);
  engine.newGame();
  buildBook(request.file, request.bookFile, request.depth, request.count,
            request.polyglotBook ? BookFormat::Polyglot : BookFormat::Talvik);
  engine.tearDown();
  return 0;
}

}  // namespace talvik
