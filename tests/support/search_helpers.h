// Shared helpers for search tests: an initialised engine on a FEN position
// and a report sink that records what the search reports.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "search/engine.h"
#include "search/report_sink.h"

namespace talvik::test {

struct ReportedPv {
  int line;
  int depth;
  int score;
  std::vector<Move> moves;
  std::uint64_t nodes;
  int bound;
  int selDepth;
};

struct ReportedBestMove {
  int kind = -1;  // -1: never reported
  Move best = NoMove;
  Move ponder = NoMove;
  int depth = 0;
  std::uint64_t nodes = 0;
};

class RecordingSink : public ReportSink {
 public:
  explicit RecordingSink(Engine* engine) : ReportSink(engine) {}

  void reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                      std::uint64_t elapsedUs) override;
  void reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                std::uint64_t elapsedUs, int selDepth, int bound) override;
  // Polling searches ask first: a line is waiting when standard input is readable.
  bool inputWaiting() override;
  void pollInput() override;
  void reportCurrentMove(Move move, int number) override;
  // Counts search starts under a lock, as a protocol's tracker does: a thread
  // that has seen a start also sees what the search set before it.
  void reportSearchStart() override;
  int searchStarts();

  std::vector<ReportedPv> pvs;
  ReportedBestMove bestMove;
  int bestMoveReports = 0;
  int inputPolls = 0;
  std::vector<std::pair<Move, int>> currentMoves;  // (move, its number in the root list)
  // Called after each recorded PV (for example to stop the search from inside).
  std::function<void(Engine&, const ReportedPv&)> onPv;
  std::function<void(Engine&)> onPollInput;

 private:
  std::mutex startLock_;
  int searchStarts_ = 0;
};

// An initialised engine with a small table that never polls standard input,
// its sink recording, on the position `fen`.
struct SearchFixture {
  explicit SearchFixture(const std::string& fen = "", int hashMegabytes = 1);
  ~SearchFixture();
  void setPosition(const std::string& fen);
  // A search to a fixed depth; the move it plays is taken back afterwards.
  const ReportedBestMove& searchToDepth(int depth);

  std::unique_ptr<Engine> engine;
  std::unique_ptr<RecordingSink> sink;
};

// Mate in n moves for the side to move, in the search's score units.
constexpr int mateIn(int moves) { return 32000 - (2 * moves - 1); }

}  // namespace talvik::test
