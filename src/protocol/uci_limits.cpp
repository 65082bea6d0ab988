#include "protocol/uci_limits.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "search/engine.h"
#include "search/game.h"

namespace talvik {

namespace {

enum class GoWord { WhiteTime, BlackTime, WhiteIncrement, BlackIncrement, MoveTime, MovesToGo, Nodes, Depth, Mate };

// The limits a "go" names; together they decide the limit mode and the caps.
struct NamedLimits {
  bool clock = false;
  bool moveTime = false;
  bool nodes = false;
  bool depth = false;
  bool mate = false;
  bool infinite = false;
  bool any() const { return clock || moveTime || nodes || depth || mate || infinite; }
};

// "go mate N" beyond this many moves is the same as any mate.
constexpr long long MaxMateMoves = MaxPly / 2;

std::int32_t toInt32(long long value) { return static_cast<std::int32_t>(std::clamp<long long>(value, INT_MIN, INT_MAX)); }

// A time in milliseconds as microseconds; negative times mean none left.
std::int32_t microseconds(long long ms) {
  if (ms <= 0) return 0;
  return ms >= INT_MAX / 1000 ? INT_MAX : static_cast<std::int32_t>(ms * 1000);
}

void applyLimit(Engine& engine, NamedLimits& named, GoWord word, long long n) {
  switch (word) {
    case GoWord::WhiteTime:
      engine.clockMs[White] = static_cast<float>(n);
      named.clock = true;
      break;
    case GoWord::BlackTime:
      engine.clockMs[Black] = static_cast<float>(n);
      named.clock = true;
      break;
    case GoWord::WhiteIncrement:
      engine.increment[White] = toInt32(n);
      break;
    case GoWord::BlackIncrement:
      engine.increment[Black] = toInt32(n);
      break;
    case GoWord::MoveTime:
      engine.moveTimeUs = microseconds(n);
      named.moveTime = true;
      break;
    case GoWord::MovesToGo:
      engine.movesToGo = toInt32(n);
      named.clock = true;
      break;
    case GoWord::Nodes:
      engine.nodeLimit = n < 0 ? 0 : static_cast<std::uint64_t>(n);
      named.nodes = true;
      break;
    case GoWord::Depth:
      engine.depthLimit = static_cast<std::int32_t>(std::clamp<long long>(n, 1, MaxPly));
      named.depth = true;
      break;
    case GoWord::Mate:
      engine.mateMoves = static_cast<std::int32_t>(std::clamp<long long>(n, 1, MaxMateMoves));
      named.mate = true;
      break;
  }
}

// Every limit named applies: the mode is the one that decides how long the
// search may take (an analysis, the clock, a fixed time, a node count, a
// depth, in this order), and a depth or node limit named besides it caps it.
void combineLimits(Engine& engine, const NamedLimits& named) {
  if (named.infinite) engine.limitMode = LimitInfinite;
  else if (named.clock) engine.limitMode = LimitClock;
  else if (named.moveTime) engine.limitMode = LimitMoveTime;
  else if (named.nodes) engine.limitMode = LimitNodes;
  else engine.limitMode = LimitDepth;
  // "go mate N" alone searches until the mate is proved (or "stop").
  if (engine.limitMode == LimitDepth && !named.depth) engine.depthLimit = MaxPly;
  engine.depthCap = named.depth && engine.limitMode != LimitDepth ? engine.depthLimit : 0;
  engine.nodeCap = named.nodes && engine.limitMode != LimitNodes ? std::max<std::uint64_t>(engine.nodeLimit, 1) : 0;
  if (!named.mate) engine.mateMoves = 0;
}

// Reads the move list after "searchmoves": the coordinate moves legal in the
// game position are kept, other move-like words are dropped. Returns false at
// the end of the line; otherwise the tokenizer stands on the first word after
// the list.
bool readSearchMoves(Engine& engine, LineTokenizer& tokens) {
  engine.searchMoveCount = 0;
  while (tokens.nextToken()) {
    const std::string_view text = tokens.token();
    const bool moveLike = text.size() >= 4 && text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' && text[1] <= '8';
    if (!moveLike) return true;
    const Move move = parseCoordinateMove(engine.board, text, engine.chess960 != 0);
    const int room = static_cast<int>(std::size(engine.searchMoves));
    if (move != NoMove && engine.searchMoveCount < room &&
        std::find(engine.searchMoves, engine.searchMoves + engine.searchMoveCount, move) ==
            engine.searchMoves + engine.searchMoveCount)
      engine.searchMoves[engine.searchMoveCount++] = move;
  }
  return false;
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
      {"nodes", GoWord::Nodes},        {"depth", GoWord::Depth},         {"mate", GoWord::Mate},
  };
  engine.goPonder = 0;
  engine.movesToGo = 0;
  engine.searchMoveCount = 0;
  NamedLimits named;
  bool more = tokens.nextToken();
  while (more) {
    if (tokens.tokenBeginsWith("searchmoves")) {
      more = readSearchMoves(engine, tokens);
      continue;
    }
    if (tokens.tokenBeginsWith("ponder")) {
      engine.goPonder = 1;
    } else if (tokens.tokenBeginsWith("infinite")) {
      named.infinite = true;
    } else {
      const Word* found = nullptr;
      for (const Word& w : Words) {
        if (!tokens.tokenBeginsWith(w.text)) continue;
        found = &w;
        break;
      }
      if (found != nullptr) {
        if (!tokens.nextToken()) break;
        applyLimit(engine, named, found->word, tokens.tokenInt());
      }
    }
    more = tokens.nextToken();
  }
  // A "go" without any limit word repeats the previous limits.
  if (named.any()) combineLimits(engine, named);
  // An analysis owes its move only once "stop" asks for it.
  if (engine.limitMode == LimitInfinite) engine.infinitePending = 1;
  return engine.goPonder ? 1 : 0;
}

}  // namespace talvik
