#include "protocol/uci_limits.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "search/engine.h"

namespace talvik {

namespace {

enum class GoWord { WhiteTime, BlackTime, WhiteIncrement, BlackIncrement, MoveTime, MovesToGo, Nodes, Depth };

std::int32_t toInt32(long long value) { return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

// A time in milliseconds as microseconds; negative times mean none left.
std::int32_t microseconds(long long ms) {
  if (ms <= 0) return 0;
  return ms >= INT_MAX / 1000 ? INT_MAX : static_cast<std::int32_t>(ms * 1000);
}

void applyLimit(Engine& engine, GoWord word, long long n) {
  switch (word) {
    case GoWord::WhiteTime:
      engine.clockMs[White] = static_cast<float>(n);
      engine.limitMode = LimitClock;
      break;
    case GoWord::BlackTime:
      engine.clockMs[Black] = static_cast<float>(n);
      engine.limitMode = LimitClock;
      break;
    case GoWord::WhiteIncrement:
      engine.increment[White] = toInt32(n);
      break;
    case GoWord::BlackIncrement:
      engine.increment[Black] = toInt32(n);
      break;
    case GoWord::MoveTime:
      engine.limitMode = LimitMoveTime;
      engine.moveTimeUs = microseconds(n);
      break;
    case GoWord::MovesToGo:
      engine.limitMode = LimitClock;
      engine.movesToGo = toInt32(n);
      break;
    case GoWord::Nodes:
      engine.limitMode = LimitNodes;
      engine.nodeLimit = n < 0 ? 0 : static_cast<std::uint64_t>(n);
      break;
    case GoWord::Depth:
      engine.limitMode = LimitDepth;
      engine.depthLimit = static_cast<std::int32_t>(std::clamp<long long>(n, 1, MaxPly));
      break;
  }
}

}  // namespace

int applyGoParameters(Engine& engine, LineTokenizer& tokens) {
  struct Word {
    const char* text;
    GoWord word;
  };
  // In this order: "movetime" must not be read as "movestogo" or the reverse.
  static constexpr Word Words[] = {
      {"wtime", GoWord::WhiteTime},    {"btime", GoWord::BlackTime},     {"winc", GoWord::WhiteIncrement},
      {"binc", GoWord::BlackIncrement}, {"movetime", GoWord::MoveTime}, {"movestogo", GoWord::MovesToGo},
      {"nodes", GoWord::Nodes},        {"depth", GoWord::Depth},
  };
  engine.goPonder = 0;
  engine.movesToGo = 0;
  while (tokens.nextToken()) {
    if (tokens.tokenBeginsWith("ponder")) {
      engine.goPonder = 1;
      continue;
    }
    if (tokens.tokenBeginsWith("infinite")) {
      engine.infinitePending = 1;
      engine.limitMode = LimitInfinite;
      continue;
    }
    const Word* found = nullptr;
    for (const Word& w : Words) {
      if (!tokens.tokenBeginsWith(w.text)) continue;
      found = &w;
      break;
    }
    if (found == nullptr) continue;
    if (!tokens.nextToken()) break;
    applyLimit(engine, found->word, tokens.tokenInt());
  }
  return engine.goPonder ? 1 : 0;
}

}  // namespace talvik
