// The UCI options: the option lines of the "uci" reply and "setoption".
#pragma once

#include <string>

#include "protocol/line_tokenizer.h"
#include "tablebase/syzygy_tables.h"

namespace talvik {

class Engine;

// The ranges the options announce (XBoard's options and "memory" share them).
inline constexpr int MaxHashMb = 2048;
inline constexpr int MaxMultiPv = 32;
inline constexpr int MaxDrawScore = 100;

// The "option name ..." lines, with the configured defaults.
void sendUciOptions(const Engine& engine);

// "info string" with the number of endgame tables found.
void reportTableSet(const TableSet& set);

// One "setoption" command: "setoption name N value V" ("Clear Hash" has no value).
struct OptionSetting {
  std::string name;
  std::string value;
};
// Reads the words after "setoption" ("Clear Hash" and "Move Overhead" are the
// names of two words); false when the name word, the name, the
// value word or the value is missing (the command then does nothing; a
// missing SyzygyPath is the empty path). The file-name options Book,
// PersonalityFile and SyzygyPath take the rest of the line as their value,
// so that names with blanks work.
bool parseSetOption(LineTokenizer& tokens, OptionSetting& setting);
// Applies it. Names match whole and in any case; a name that is none of the
// options sets the evaluation parameter of that name, and one that is not
// that either is answered by "info string unknown option NAME".
void applyUciOption(Engine& engine, const OptionSetting& setting);

}  // namespace talvik
