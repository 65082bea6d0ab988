// key=value files: talvik.ini and personality files.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace talvik {

// The pairs of a file in file order. Duplicate keys stay; lookups return the
// first. Keys and values are taken exactly (no trimming, case matters).
struct Config {
  std::vector<std::pair<std::string, std::string>> pairs;
};

// Appends the pairs of `fileName`; false when it cannot be opened. A line ends
// at its first character below the space (so a tab ends it too) and is cut at
// 1,023 characters; lines shorter than 3 characters, comment lines (# or ;)
// and lines without '=' are skipped.
bool loadConfig(Config& config, const std::string& fileName);
// Parses the text of a configuration file (what loadConfig reads).
void parseConfigText(Config& config, const std::string& text);

const std::string* configFind(const Config& config, const std::string& key);
// Decimal integer with leading blanks and sign; stops at the first non-digit,
// no digits give 0. `fallback` when the key is absent.
int configInt(const Config& config, const std::string& key, int fallback);
std::string configString(const Config& config, const std::string& key, const std::string& fallback);
// Decimal floating-point value; `fallback` when absent or not finite.
double configReal(const Config& config, const std::string& key, double fallback);

// The integer reading rule shared by configuration values and personality
// parameters; never overflows (values saturate at the int range).
int parseDecimal(const std::string& text);

}  // namespace talvik
