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
#include "search/table_probes.h"
#include "search/time_control.h"

namespace talvik {

namespace {

// Option values and names are cut to this many characters.
constexpr std::size_t MaxText = 255;
constexpr int MaxHashMb = 2048;
constexpr int MaxMultiPv = 32;
constexpr int MaxDrawScore = 100;
// Table paths may list several long folder names.
constexpr std::size_t MaxPathText = 2047;
constexpr int MaxTableProbeDepth = 100;
constexpr int MaxTablePieces = 7;

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }
const char* trueFalse(bool value) { return value ? "true" : "false"; }
int valueInt(const std::string& value) {
  LineTokenizer tokens(value);
  tokens.nextToken();
  return static_cast<int>(std::clamp<long long>(tokens.tokenInt(), INT_MIN, INT_MAX));
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
  const bool tablePath = startsWith(setting.name, "SyzygyPath");
  // An empty table path switches the tables off.
  if (!tokens.nextToken()) return tablePath;
  if (startsWith(setting.name, "Book") || startsWith(setting.name, "PersonalityFile") || tablePath) {
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
  const bool on = startsWith(value, "true");
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
  } else if (startsWith(name, "SyzygyPath")) {
    reportTableSet(useTablePath(engine, value == "<empty>" ? std::string() : value));
  } else if (startsWith(name, "SyzygyProbeDepth")) {
    s.syzygyProbeDepth = std::clamp(valueInt(value), 1, MaxTableProbeDepth);
  } else if (startsWith(name, "Syzygy50MoveRule")) {
    s.syzygy50MoveRule = on ? 1 : 0;
  } else if (startsWith(name, "SyzygyProbeLimit")) {
    s.syzygyProbeLimit = std::clamp(valueInt(value), 0, MaxTablePieces);
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
