#include "tools/perft.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "base/output.h"
#include "board/move_text.h"
#include "search/engine.h"
#include "tools/leaf_count.h"

namespace talvik {

namespace {

// A leaf position's side to move in check, and mated.
void countCheckAndMate(const Board& leaf, PerftCounters& counters) {
  if (!sideToMoveInCheck(leaf)) return;
  ++counters.checks;
  MoveList replies;
  if (generateLegal(leaf, replies.entries, true) == 0) ++counters.mates;
}

// Microseconds since `start` on a monotonic clock: a wall clock set back
// during a run would give a negative time.
std::int64_t microsecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
}

// `before` goes in front of the time line (divide puts an empty line there).
void sendTimeAndSpeed(std::uint64_t leaves, std::int64_t elapsedUs, const char* before) {
  const std::uint64_t ms = static_cast<std::uint64_t>(std::max<std::int64_t>(elapsedUs, 0)) / 1000;
  char time[48];
  std::snprintf(time, sizeof time, "%02llu:%02llu:%02llu.%03llu", static_cast<unsigned long long>(ms / 3600000),
                static_cast<unsigned long long>(ms % 3600000 / 60000),
                static_cast<unsigned long long>(ms % 60000 / 1000), static_cast<unsigned long long>(ms % 1000));
  sendLine("%sTime = %s", before, time);
  sendLine("Speed = %lld", static_cast<long long>(perftSpeed(leaves, elapsedUs)));
}

}  // namespace

int perftDepth(int requested) { return std::clamp(requested, 0, MaxPerftDepth); }

std::uint64_t perftCount(Board& board, int depth) {
  depth = perftDepth(depth);
  return depth == 0 ? 1 : countLeaves(board, depth);
}

PerftCounters perftDetailed(Board& board, int depth) {
  PerftCounters counters;
  depth = perftDepth(depth);
  if (depth == 0) {
    counters.nodes = 1;
    countCheckAndMate(board, counters);
    return counters;
  }
  counters.nodes = walkLeaves(board, depth, [&](Board& leaf, Move move) {
    counters.captures += isCapture(move);
    counters.enPassant += isEnPassant(move);
    counters.promotions += isPromotion(move);
    counters.castles += isCastle(move);
    countCheckAndMate(leaf, counters);
  });
  return counters;
}

int divideRootMoves(Board& board, int depth, DivideEntry* entries) {
  const int subtreeDepth = std::min(depth, MaxPerftDepth) - 1;
  int filled = 0;
  walkLeaves(board, 1, [&](Board& child, Move move) {
    DivideEntry& entry = entries[filled++];
    entry.count = subtreeDepth < 1 ? 1 : countLeaves(child, subtreeDepth);
    std::snprintf(entry.moveText, sizeof entry.moveText, "%s", moveToDisplayText(move).c_str());
  });
  return filled;
}

std::int64_t perftSpeed(std::uint64_t leaves, std::int64_t elapsedUs) {
  const std::uint64_t divisor = elapsedUs > 0 ? static_cast<std::uint64_t>(elapsedUs) : 16000;
  // leaves * 10^6 stays below 2^64 for any count a run can reach (2^44 leaves).
  return static_cast<std::int64_t>(leaves * 1000000 / divisor);
}

void runPerft(Engine& engine, int depth) {
  depth = perftDepth(depth);
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t leaves = perftCount(engine.board, depth);
  const std::int64_t elapsedUs = microsecondsSince(start);
  sendLine("Depth %d", depth);
  sendLine("Nodes = %llu", static_cast<unsigned long long>(leaves));
  sendTimeAndSpeed(leaves, elapsedUs, "");
}

void runDivide(Engine& engine, int depth) {
  auto entries = std::make_unique<DivideEntry[]>(MaxMoves);
  const auto start = std::chrono::steady_clock::now();
  const int count = divideRootMoves(engine.board, depth, entries.get());
  const std::int64_t elapsedUs = microsecondsSince(start);
  std::uint64_t total = 0;
  for (int i = 0; i < count; ++i) {
    sendLine("%10s : %llu", entries[i].moveText, static_cast<unsigned long long>(entries[i].count));
    total += entries[i].count;
  }
  sendLine("\n     total : %llu", static_cast<unsigned long long>(total));
  sendTimeAndSpeed(total, elapsedUs, "\n");
}

void runPerftDetailed(Engine& engine, int depth) {
  depth = perftDepth(depth);
  const auto start = std::chrono::steady_clock::now();
  const PerftCounters c = perftDetailed(engine.board, depth);
  const std::int64_t elapsedUs = microsecondsSince(start);
  sendLine("Depth %d", depth);
  sendLine("Nodes = %llu", static_cast<unsigned long long>(c.nodes));
  sendLine("Nodes captures = %llu", static_cast<unsigned long long>(c.captures));
  sendLine("Nodes e.p = %llu", static_cast<unsigned long long>(c.enPassant));
  sendLine("Nodes check = %llu", static_cast<unsigned long long>(c.checks));
  sendLine("Nodes mate = %llu", static_cast<unsigned long long>(c.mates));
  sendLine("Nodes promotion = %llu", static_cast<unsigned long long>(c.promotions));
  sendLine("Nodes castle = %llu", static_cast<unsigned long long>(c.castles));
  sendTimeAndSpeed(c.nodes, elapsedUs, "");
}

}  // namespace talvik
