#include "support/search_helpers.h"

#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "search/game.h"
#include "search/search_driver.h"

namespace talvik::test {

void RecordingSink::reportBestMove(int kind, Move best, Move ponder, int depth, int selDepth, std::uint64_t nodes,
                                   std::uint64_t elapsedUs) {
  (void)selDepth, (void)elapsedUs;
  bestMove = {kind, best, ponder, depth, nodes};
  ++bestMoveReports;
}

void RecordingSink::reportPv(int line, int depth, int score, const Move* moves, int length, std::uint64_t nodes,
                             std::uint64_t elapsedUs, int selDepth, int bound) {
  (void)elapsedUs;
  pvs.push_back({line, depth, score, std::vector<Move>(moves, moves + length), nodes, bound, selDepth});
  if (onPv) onPv(*engine_, pvs.back());
}

void RecordingSink::reportCurrentMove(Move move, int number) { currentMoves.emplace_back(move, number); }

void RecordingSink::reportSearchStart() {
  std::lock_guard<std::mutex> lock(startLock_);
  ++searchStarts_;
}

int RecordingSink::searchStarts() {
  std::lock_guard<std::mutex> lock(startLock_);
  return searchStarts_;
}

bool RecordingSink::inputWaiting() {
  pollfd fd{STDIN_FILENO, POLLIN, 0};
  return ::poll(&fd, 1, 0) > 0;
}

void RecordingSink::pollInput() {
  ++inputPolls;
  if (onPollInput) onPollInput(*engine_);
}

SearchFixture::SearchFixture(const std::string& fen, int hashMegabytes) : engine(std::make_unique<Engine>()) {
  engine->initialise(hashMegabytes);
  engine->newGame();
  engine->inputThreadActive = 1;
  sink = std::make_unique<RecordingSink>(engine.get());
  engine->reportSink = sink.get();
  if (!fen.empty()) setPosition(fen);
}

SearchFixture::~SearchFixture() { engine->reportSink = nullptr; }

void SearchFixture::setPosition(const std::string& fen) { ASSERT_TRUE(setPositionFromFen(*engine, fen)) << fen; }

const ReportedBestMove& SearchFixture::searchToDepth(int depth) {
  engine->limitMode = LimitDepth;
  engine->depthLimit = depth;
  const std::size_t played = engine->gameMoves.size();
  searchRoot(*engine, false);
  if (engine->gameMoves.size() > played) engine->takeBack();
  return sink->bestMove;
}

}  // namespace talvik::test
