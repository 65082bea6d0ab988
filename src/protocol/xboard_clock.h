// The XBoard commands that set the engine's limits: "level", "st" and "sd".
#pragma once

#include <string_view>

namespace talvik {

class Engine;

// "level MPS BASE INC": moves per time control (0 for the whole game), the
// base time as minutes or minutes:seconds, and the increment in seconds.
// False, and nothing changed, when a field is missing or malformed.
bool setXboardLevel(Engine& engine, std::string_view fields);
// "st": a fixed time per move in seconds (negative counts as 0).
void setXboardMoveTime(Engine& engine, long long seconds);
// "sd": a fixed depth, limited to 1..127.
void setXboardDepth(Engine& engine, long long depth);

}  // namespace talvik
