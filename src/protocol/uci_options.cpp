#include "protocol/uci_options.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/logger.h"
#include "base/output.h"
#include "eval/parameters.h"
#include "eval/personality_file.h"
#include "search/engine.h"
#include "search/strength.h"
#include "search/time_control.h"

namespace talvik {

namespace {

// Option values and names are cut to this many characters.
constexpr std::size_t MaxText = 255;
constexpr int MaxHashMb = 2048;
constexpr int MaxMultiPv = 32;
constexpr int MaxDrawScore = 100;

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
const char* trueFalse(bool value) { return value ? "true" : "false"; }
int valueInt(const std::string& value) {
  LineTokenizer tokens(value);
  tokens.nextToken();
  return static_cast<int>(std::clamp<long long>(tokens.tokenInt(), INT_MIN, INT_MAX));
}
bool isNumber(const std::string& value) {
  LineTokenizer tokens(value);
  return tokens.nextToken() && tokens.tokenIsNumber();
}
// The options whose value is a number.
bool takesNumber(const std::string& name) {
  for (const char* option : {"Hash", "MultiPV", "UCI_Elo", "DrawScore", "Threads", "Move Overhead"})
    if (startsWith(name, option)) return true;
  return false;
}

// The book named by BookFile, after the book was switched on or renamed. A
// file that cannot be used leaves the book off but keeps the wish for it, so
// that a GUI naming a usable file next (Book after OwnBook) gets its book.
void openBook(Engine& engine) {
  if (loadBook(engine, engine.settings.bookFile)) return;
  sendText("info string book file not found");
}

}  // namespace

void sendUciOptions(const Engine& engine) {
  const EngineSettings& s = engine.settings;
  sendLine("option name Hash type spin default %d min %d max %d", s.hashMb, 1, MaxHashMb);
  sendText("option name Ponder type check default false");
  sendLine("option name OwnBook type check default %s", trueFalse(s.book != 0));
  sendLine("option name Book type string default %s", s.bookFile.c_str());
  sendText("option name Clear Hash type button");
  sendLine("option name UsePersonality type check default %s", trueFalse(s.usePersonalityIsOne));
  sendLine("option name PersonalityFile type string default %s", s.personalityFile.c_str());
  sendText("option name UCI_Chess960 type check default false");
  sendLine("option name MultiPV type spin default 1 min 1 max %d", MaxMultiPv);
  sendLine("option name NullMovePruning type check default %s", trueFalse(s.useNullMovePruning != 0));
  sendLine("option name LateMoveReduction type check default %s", trueFalse(s.useLMR != 0));
  sendLine("option name Threads type spin default %d min 1 max %d", s.maxThreads, MaxSearchThreads);
  sendLine("option name UCI_LimitStrength type check default %s", trueFalse(s.useStrength != 0));
  sendLine("option name UCI_Elo type spin default %d min %d max %d", s.strengthElo, MinStrengthElo, MaxStrengthElo);
  sendLine("option name DrawScore type spin default %d min -100 max 100", s.drawScore);
  sendLine("option name Move Overhead type spin default %d min 0 max %d", s.moveOverheadMs, MaxMoveOverheadMs);
}

bool parseSetOption(LineTokenizer& tokens, OptionSetting& setting) {
  if (!tokens.nextToken() || !tokens.tokenBeginsWith("name")) return false;
  if (!tokens.nextToken()) return false;
  setting.name = tokens.tokenCopy(MaxText + 1);
  setting.value.clear();
  if (startsWith(setting.name, "Clear")) {
    // The one name of two words, and the one option without a value.
    if (!tokens.nextToken() || !tokens.tokenBeginsWith("Hash")) return false;
    setting.name = "Clear Hash";
    return true;
  }
  if (setting.name == "Move") {
    // The other name of two words.
    if (!tokens.nextToken() || tokens.token() != "Overhead") return false;
    setting.name = "Move Overhead";
  }
  if (!tokens.nextToken() || !tokens.tokenBeginsWith("value")) return false;
  if (!tokens.nextToken()) return false;
  if (startsWith(setting.name, "Book") || startsWith(setting.name, "PersonalityFile")) {
    std::string_view rest = tokens.line().substr(tokens.tokenStart());
    while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
    setting.value = std::string(rest.substr(0, MaxText));
  } else {
    setting.value = tokens.tokenCopy(MaxText + 1);
  }
  return true;
}

void applyUciOption(Engine& engine, const OptionSetting& setting) {
  EngineSettings& s = engine.settings;
  const std::string& name = setting.name;
  const std::string& value = setting.value;
  const bool on = startsWith(value, "true");
  if (takesNumber(name) && !isNumber(value)) {
    // A setting is never lost to a typing error: it keeps its value.
    logMessage(LogWarning, "option %s : '%s' is not a number, the value is kept", name.c_str(), value.c_str());
    return;
  }
  if (startsWith(name, "Hash")) {
    engine.transTable.allocate(std::clamp(valueInt(value), 1, MaxHashMb));
  } else if (startsWith(name, "Ponder")) {
    engine.ponderEnabled = on;
    engine.ponderOption = on;
    if (!on) engine.pondering = 0;
  } else if (startsWith(name, "NullMovePruning")) {
    engine.useNullMove = on;
  } else if (startsWith(name, "LateMoveReduction")) {
    engine.useLMR = on;
  } else if (startsWith(name, "OwnBook")) {
    s.book = on ? 1 : 0;
    if (on) openBook(engine);
    else unloadBook(engine);
  } else if (startsWith(name, "Book")) {
    s.bookFile = value;
    if (s.book == 1) openBook(engine);
  } else if (startsWith(name, "Clear")) {
    engine.transTable.clear();
  } else if (startsWith(name, "MultiPV")) {
    engine.multiPV = std::clamp(valueInt(value), 1, MaxMultiPv);
  } else if (startsWith(name, "UCI_Elo")) {
    s.strengthElo = valueInt(value);
    if (s.useStrength) setStrength(engine, s.strengthElo);
  } else if (startsWith(name, "UCI_LimitStrength")) {
    setStrength(engine, on ? s.strengthElo : MaxStrengthElo);
    s.useStrength = on ? 1 : 0;
  } else if (startsWith(name, "DrawScore")) {
    // Beyond the announced range a draw could outweigh a mate.
    drawScore = std::clamp(valueInt(value), -MaxDrawScore, MaxDrawScore);
  } else if (startsWith(name, "UCI_Chess960")) {
    engine.chess960 = on;
  } else if (startsWith(name, "Threads")) {
    const int threads = valueInt(value);
    logInfo("Using %d threads", threads);
    engine.pool.setThreadCount(threads);  // clamped to 1..64 there
  } else if (name == "Move Overhead") {
    s.moveOverheadMs = std::clamp(valueInt(value), 0, MaxMoveOverheadMs);
  } else if (startsWith(name, "UsePersonality")) {
    engine.usePersonalityActive = on;
    loadPersonality(engine.evalContext, on ? s.personalityFile : std::string());
  } else if (startsWith(name, "PersonalityFile")) {
    s.personalityFile = value;
    loadPersonality(engine.evalContext, engine.usePersonalityActive ? s.personalityFile : std::string());
  } else {
    setParameter(engine.evalContext, name, value);
  }
}

}  // namespace talvik
