#include "base/build_info.h"

namespace talvik {

std::string wordSizeText() { return std::to_string(sizeof(void*) * 8) + " bits"; }

std::string popcountText() {
#if defined(__POPCNT__) || defined(__ARM_FEATURE_SVE) || defined(__aarch64__)
  return "Using hardware popcount";
#else
  return "Using software popcount";
#endif
}

std::string buildStamp() { return std::string(__DATE__) + " at " + __TIME__; }

std::string bannerText() {
  return std::string(ProgramName) + " " + ProgramVersion + " (" + wordSizeText() + ") by " + ProgramAuthor;
}

}  // namespace talvik
