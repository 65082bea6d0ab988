// The UCI options: the option lines of the "uci" reply and "setoption".
#pragma once

#include <string>

#include "protocol/line_tokenizer.h"
#include "tablebase/syzygy_tables.h"

namespace talvik {

class Engine;

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
// Applies it. Names match by their beginning, in a fixed order; a name that
// is none of the options sets the evaluation parameter of that name.
void applyUciOption(Engine& engine, const OptionSetting& setting);

}  // namespace talvik
