// What an XBoard GUI can set beyond the protocol's own commands: the hash
// size by "memory", and the options UCI offers as well (MultiPV, the
// strength limit, DrawScore, the personality, null move and late-move
// reductions), announced as "feature option=" lines under their UCI names
// and set by "option NAME=VALUE" with the same effect as "setoption".
#pragma once

#include <string_view>

namespace talvik {

class Engine;

// The "feature option=..." lines of these options, with the current values.
void sendXboardOptionFeatures(const Engine& engine);
// "option NAME=VALUE" for one of these options; false for any other name.
// A value that is not a number (a spin) or not 0/1 (a check) is refused
// with an "Error" line; a number outside the range is clamped to it.
bool applyXboardOption(Engine& engine, std::string_view name, std::string_view value);
// "memory N": the hash table gets N megabytes, within the Hash option's range.
void setXboardMemory(Engine& engine, std::string_view number);

}  // namespace talvik
