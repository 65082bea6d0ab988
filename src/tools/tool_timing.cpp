#include "tools/tool_timing.h"

#include <cstdio>

namespace talvik {

std::string durationText(std::uint64_t ms) {
  char text[48];
  std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu.%03llu", static_cast<unsigned long long>(ms / 3600000),
                static_cast<unsigned long long>(ms % 3600000 / 60000),
                static_cast<unsigned long long>(ms % 60000 / 1000), static_cast<unsigned long long>(ms % 1000));
  return text;
}

}  // namespace talvik
