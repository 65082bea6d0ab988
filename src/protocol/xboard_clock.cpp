#include "protocol/xboard_clock.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "protocol/line_tokenizer.h"
#include "search/engine.h"

namespace talvik {

namespace {

// Bounds that keep every product below in range; no real control comes near.
constexpr long long MaxMovesPerControl = 100000;
constexpr long long MaxMinutes = 1000000;
constexpr double MaxIncrementSeconds = 1000000.0;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// An unsigned decimal number at the start of `text` (clamped to `limit`);
// false when the text does not begin with a digit.
bool readUnsigned(std::string_view& text, long long limit, long long& value) {
  if (text.empty() || !isDigit(text.front())) return false;
  value = 0;
  while (!text.empty() && isDigit(text.front())) {
    value = std::min(value * 10 + (text.front() - '0'), limit);
    text.remove_prefix(1);
  }
  return true;
}

}  // namespace

bool setXboardLevel(Engine& engine, std::string_view fields) {
  LineTokenizer tokens(fields);
  long long moves = 0;
  long long minutes = 0;
  long long seconds = 0;
  if (!tokens.nextToken()) return false;
  std::string_view text = tokens.token();
  if (!readUnsigned(text, MaxMovesPerControl, moves)) return false;

  if (!tokens.nextToken()) return false;
  text = tokens.token().substr(0, 63);
  if (!readUnsigned(text, MaxMinutes, minutes)) return false;
  if (!text.empty() && text.front() == ':') {
    text.remove_prefix(1);
    if (!readUnsigned(text, MaxMinutes, seconds)) return false;
  }

  if (!tokens.nextToken()) return false;
  const std::string incrementText = tokens.tokenCopy(64);
  char* end = nullptr;
  double increment = std::strtod(incrementText.c_str(), &end);
  if (end == incrementText.c_str()) return false;
  if (!(increment > 0.0)) increment = 0.0;  // negative or not a number
  increment = std::min(increment, MaxIncrementSeconds);

  const std::int32_t perControl = static_cast<std::int32_t>(moves);
  engine.movesPerControl = perControl;
  engine.movesUntilControl = perControl;
  engine.movesToGo = perControl;
  // Both clocks: the engine may play either side, and a GUI need not send
  // "time" before the engine's first move.
  const double baseSeconds = static_cast<double>(minutes) * 60.0 + static_cast<double>(seconds);
  const float baseMs = static_cast<float>(baseSeconds * 1000.0);
  engine.clockMs[Black] = baseMs;
  engine.clockMs[White] = baseMs;
  engine.limitMode = LimitClock;
  const std::int32_t incrementMs = static_cast<std::int32_t>(increment * 1000.0);
  engine.increment[Black] = engine.increment[White] = incrementMs;
  return true;
}

void setXboardMoveTime(Engine& engine, long long seconds) {
  engine.limitMode = LimitMoveTime;
  engine.moveTimeUs = seconds <= 0 ? 0 : seconds >= INT_MAX / 1000000 ? INT_MAX : static_cast<std::int32_t>(seconds * 1000000);
}

void setXboardDepth(Engine& engine, long long depth) {
  engine.limitMode = LimitDepth;
  engine.depthLimit = static_cast<std::int32_t>(std::clamp<long long>(depth, 1, MaxPly));
}

}  // namespace talvik
