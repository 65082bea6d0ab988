#include "base/config.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace talvik {

void parseConfigText(Config& config, const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, std::min<std::size_t>(end - pos, 1023));
    pos = end + 1;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (static_cast<unsigned char>(line[i]) < ' ') {
        line.resize(i);
        break;
      }
    }
    if (line.size() < 3 || line[0] == '#' || line[0] == ';') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    config.pairs.emplace_back(line.substr(0, equals), line.substr(equals + 1));
  }
}

bool loadConfig(Config& config, const std::string& fileName) {
  if (fileName.empty()) return false;
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) return false;
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  parseConfigText(config, text);
  return true;
}

const std::string* configFind(const Config& config, const std::string& key) {
  for (const auto& [k, v] : config.pairs)
    if (k == key) return &v;
  return nullptr;
}

int parseDecimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int configInt(const Config& config, const std::string& key, int fallback) {
  const std::string* value = configFind(config, key);
  return value ? parseDecimal(*value) : fallback;
}

std::string configString(const Config& config, const std::string& key, const std::string& fallback) {
  const std::string* value = configFind(config, key);
  return value ? *value : fallback;
}

double configReal(const Config& config, const std::string& key, double fallback) {
  const std::string* value = configFind(config, key);
  if (!value) return fallback;
  // "nan" and "inf" read as numbers but would poison the formulas that use
  // these values; they count as no value.
  const double number = std::strtod(value->c_str(), nullptr);
  return std::isfinite(number) ? number : fallback;
}

}  // namespace talvik
