// Program identity and the facts about this build that the engine reports.
#pragma once

#include <string>

namespace talvik {

inline constexpr const char* ProgramName = "Talvik";
inline constexpr const char* ProgramVersion = "2.2";
inline constexpr const char* ProgramAuthor = "Verenko";

// "32 bits" or "64 bits": the pointer width of this build.
std::string wordSizeText();
// "Using hardware popcount" when the compiler emits the instruction, else
// "Using software popcount".
std::string popcountText();
// "Mmm dd yyyy at hh:mm:ss", when this build was compiled.
std::string buildStamp();
// "Talvik 2.2 (64 bits) by Verenko"
std::string bannerText();

}  // namespace talvik
