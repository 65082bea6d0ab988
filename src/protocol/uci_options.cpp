#include "protocol/uci_options.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cstdlib>

#include "base/logger.h"
#include "base/output.h"
#include "eval/parameters.h"
#include "eval/personality_file.h"
#include "search/engine.h"
#include "search/strength.h"
#include "search/table_probes.h"
#include "search/time_control.h"

namespace talvik {

namespace {

// Option values and names are cut to this many characters.
constexpr std::size_t MaxText = 255;
// Table paths may list several long folder names.
constexpr std::size_t MaxPathText = 2047;
constexpr int MaxTableProbeDepth = 100;
constexpr int MaxTablePieces = 7;

bool sameLetters(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}
bool startsWithAnyCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), sameLetters);
}
// Option names match whole, in any case (GUIs spell "MultiPv", "multipv").
bool isOptionName(std::string_view text, std::string_view name) {
  return text.size() == name.size() && startsWithAnyCase(text, name);
}
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
  for (const char* option : {"Hash", "MultiPV", "UCI_Elo", "DrawScore", "Threads", "Move Overhead",
                             "SyzygyProbeDepth", "SyzygyProbeLimit"})
    if (isOptionName(name, option)) return true;
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
  sendLine("option name SyzygyPath type string default %s",
           s.syzygyPath.empty() ? "<empty>" : s.syzygyPath.substr(0, MaxPathText).c_str());
  sendLine("option name SyzygyProbeDepth type spin default %d min 1 max %d", s.syzygyProbeDepth, MaxTableProbeDepth);
  sendLine("option name Syzygy50MoveRule type check default %s", trueFalse(s.syzygy50MoveRule != 0));
  sendLine("option name SyzygyProbeLimit type spin default %d min 0 max %d", s.syzygyProbeLimit, MaxTablePieces);
}

void reportTableSet(const TableSet& set) {
  sendLine("info string Syzygy: %d tables found (%d with DTZ), up to %d pieces", set.wdlCount, set.dtzCount,
           set.largest);
}

bool parseSetOption(LineTokenizer& tokens, OptionSetting& setting) {
  if (!tokens.nextToken() || !tokens.tokenBeginsWith("name")) return false;
  if (!tokens.nextToken()) {
    sendText("info string setoption without an option name");
    logMessage(LogWarning, "setoption without an option name");
    return false;
  }
  setting.name = tokens.tokenCopy(MaxText + 1);
  setting.value.clear();
  if (isOptionName(setting.name, "Clear")) {
    // The one name of two words, and the one option without a value.
    if (!tokens.nextToken() || !isOptionName(tokens.token(), "Hash")) return false;
    setting.name = "Clear Hash";
    return true;
  }
  if (isOptionName(setting.name, "Move")) {
    // The other name of two words.
    if (!tokens.nextToken() || !isOptionName(tokens.token(), "Overhead")) return false;
    setting.name = "Move Overhead";
  }
  if (!tokens.nextToken() || !tokens.tokenBeginsWith("value")) return false;
  const bool tablePath = isOptionName(setting.name, "SyzygyPath");
  // An empty table path switches the tables off.
  if (!tokens.nextToken()) return tablePath;
  if (isOptionName(setting.name, "Book") || isOptionName(setting.name, "PersonalityFile") || tablePath) {
    std::string_view rest = tokens.line().substr(tokens.tokenStart());
    while (!rest.empty() && rest.back() == ' ') rest.remove_suffix(1);
    setting.value = std::string(rest.substr(0, tablePath ? MaxPathText : MaxText));
  } else {
    setting.value = tokens.tokenCopy(MaxText + 1);
  }
  return true;
}

void applyUciOption(Engine& engine, const OptionSetting& setting) {
  EngineSettings& s = engine.settings;
  const std::string& name = setting.name;
  const std::string& value = setting.value;
  const bool on = startsWithAnyCase(value, "true");
  const auto named = [&name](std::string_view option) { return isOptionName(name, option); };
  if (takesNumber(name) && !isNumber(value)) {
    // A setting is never lost to a typing error: it keeps its value.
    logMessage(LogWarning, "option %s : '%s' is not a number, the value is kept", name.c_str(), value.c_str());
    return;
  }
  if (named("Hash")) {
    engine.transTable.allocate(std::clamp(valueInt(value), 1, MaxHashMb));
  } else if (named("Ponder")) {
    engine.ponderEnabled = on;
    engine.ponderOption = on;
    if (!on) engine.pondering = 0;
  } else if (named("NullMovePruning")) {
    engine.useNullMove = on;
  } else if (named("LateMoveReduction")) {
    engine.useLMR = on;
  } else if (named("OwnBook")) {
    s.book = on ? 1 : 0;
    if (on) openBook(engine);
    else unloadBook(engine);
  } else if (named("Book")) {
    s.bookFile = value;
    if (s.book == 1) openBook(engine);
  } else if (named("Clear Hash")) {
    engine.transTable.clear();
  } else if (named("MultiPV")) {
    engine.multiPV = std::clamp(valueInt(value), 1, MaxMultiPv);
  } else if (named("UCI_Elo")) {
    s.strengthElo = valueInt(value);
    if (s.useStrength) setStrength(engine, s.strengthElo);
  } else if (named("UCI_LimitStrength")) {
    setStrength(engine, on ? s.strengthElo : MaxStrengthElo);
    s.useStrength = on ? 1 : 0;
  } else if (named("DrawScore")) {
    // Beyond the announced range a draw could outweigh a mate.
    drawScore = std::clamp(valueInt(value), -MaxDrawScore, MaxDrawScore);
  } else if (named("UCI_Chess960")) {
    engine.chess960 = on;
  } else if (named("Threads")) {
    const int threads = valueInt(value);
    logInfo("Using %d threads", threads);
    engine.pool.setThreadCount(threads);  // clamped to 1..64 there
  } else if (named("Move Overhead")) {
    s.moveOverheadMs = std::clamp(valueInt(value), 0, MaxMoveOverheadMs);
  } else if (named("SyzygyPath")) {
    reportTableSet(useTablePath(engine, value == "<empty>" ? std::string() : value));
  } else if (named("SyzygyProbeDepth")) {
    s.syzygyProbeDepth = std::clamp(valueInt(value), 1, MaxTableProbeDepth);
  } else if (named("Syzygy50MoveRule")) {
    s.syzygy50MoveRule = on ? 1 : 0;
  } else if (named("SyzygyProbeLimit")) {
    s.syzygyProbeLimit = std::clamp(valueInt(value), 0, MaxTablePieces);
  } else if (named("UsePersonality")) {
    engine.usePersonalityActive = on;
    loadPersonality(engine.evalContext, on ? s.personalityFile : std::string());
  } else if (named("PersonalityFile")) {
    s.personalityFile = value;
    loadPersonality(engine.evalContext, engine.usePersonalityActive ? s.personalityFile : std::string());
  } else if (!setParameter(engine.evalContext, name, value)) {
    // Neither an option nor an evaluation parameter: a misspelt name
    // should not pass unnoticed.
    sendLine("info string unknown option %s", name.c_str());
    logMessage(LogWarning, "unknown option %s", name.c_str());
  }
}

}  // namespace talvik
