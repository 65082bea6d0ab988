#include "protocol/xboard_options.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "base/logger.h"
#include "base/output.h"
#include "protocol/uci_options.h"
#include "search/engine.h"
#include "search/strength.h"

namespace talvik {

namespace {

enum class Kind { Spin, Check, File };

struct XboardOption {
  const char* name;
  Kind kind;
  int min, max;  // spins only
};

constexpr XboardOption Options[] = {
    {"MultiPV", Kind::Spin, 1, MaxMultiPv},
    {"UCI_LimitStrength", Kind::Check, 0, 1},
    {"UCI_Elo", Kind::Spin, MinStrengthElo, MaxStrengthElo},
    {"DrawScore", Kind::Spin, -MaxDrawScore, MaxDrawScore},
    {"UsePersonality", Kind::Check, 0, 1},
    {"PersonalityFile", Kind::File, 0, 0},
    {"NullMovePruning", Kind::Check, 0, 1},
    {"LateMoveReduction", Kind::Check, 0, 1},
};

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// A whole decimal number, optionally signed; absurd lengths are refused.
bool readNumber(std::string_view text, long long& value) {
  text = trimmed(text);
  if (text.empty() || text.size() > 18) return false;
  std::size_t i = text.front() == '-' || text.front() == '+' ? 1 : 0;
  if (i == text.size()) return false;
  long long n = 0;
  for (std::size_t k = i; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return false;
    n = n * 10 + (text[k] - '0');
  }
  value = text.front() == '-' ? -n : n;
  return true;
}

// The option's current value as its feature line shows it.
int currentValue(const Engine& engine, std::string_view name) {
  const EngineSettings& s = engine.settings;
  if (name == "MultiPV") return engine.multiPV;
  if (name == "UCI_LimitStrength") return s.useStrength != 0;
  if (name == "UCI_Elo") return s.strengthElo;
  if (name == "DrawScore") return drawScore;
  if (name == "UsePersonality") return engine.usePersonalityActive != 0;
  if (name == "NullMovePruning") return engine.useNullMove != 0;
  return engine.useLMR != 0;  // LateMoveReduction
}

void refuse(std::string_view name, std::string_view value) {
  sendLine("Error (bad value): option %.*s=%.*s", static_cast<int>(name.size()), name.data(),
           static_cast<int>(value.size()), value.data());
}

}  // namespace

void sendXboardOptionFeatures(const Engine& engine) {
  for (const XboardOption& option : Options) {
    switch (option.kind) {
      case Kind::Spin:
        sendLine("feature option=\"%s -spin %d %d %d\"", option.name, currentValue(engine, option.name), option.min,
                 option.max);
        break;
      case Kind::Check:
        sendLine("feature option=\"%s -check %d\"", option.name, currentValue(engine, option.name));
        break;
      case Kind::File:
        sendLine("feature option=\"%s -file %s\"", option.name, engine.settings.personalityFile.c_str());
        break;
    }
  }
}

bool applyXboardOption(Engine& engine, std::string_view name, std::string_view value) {
  const XboardOption* option =
      std::find_if(std::begin(Options), std::end(Options), [name](const XboardOption& o) { return name == o.name; });
  if (option == std::end(Options)) return false;
  OptionSetting setting{option->name, std::string()};
  long long number = 0;
  switch (option->kind) {
    case Kind::Spin:
      if (!readNumber(value, number)) {
        refuse(name, value);
        return true;
      }
      if (number < option->min || number > option->max) {
        number = std::clamp<long long>(number, option->min, option->max);
        sendLine("# %s outside %d..%d: %lld", option->name, option->min, option->max, number);
      }
      setting.value = std::to_string(number);
      break;
    case Kind::Check:
      if (!readNumber(value, number) || (number != 0 && number != 1)) {
        refuse(name, value);
        return true;
      }
      setting.value = number != 0 ? "true" : "false";
      break;
    case Kind::File:
      setting.value = std::string(trimmed(value).substr(0, 255));
      break;
  }
  applyUciOption(engine, setting);
  return true;
}

void setXboardMemory(Engine& engine, std::string_view text) {
  long long megabytes = 0;
  if (!readNumber(text, megabytes)) {
    sendLine("Error (bad number): memory %.*s", static_cast<int>(text.size()), text.data());
    return;
  }
  const int size = static_cast<int>(std::clamp<long long>(megabytes, 1, MaxHashMb));
  if (size != megabytes) sendLine("# memory outside 1..%d MB: the hash table gets %d MB", MaxHashMb, size);
  logInfo("memory %lld", megabytes);
  engine.transTable.allocate(size);
}

}  // namespace talvik
