// Start-up, dispatch to a developer tool or protocol mode, and shutdown.
#pragma once

#include <string>
#include <vector>

namespace talvik {

// Runs the program with the arguments after its own name; returns the
// process exit status.
int runProgram(const std::vector<std::string>& args);

}  // namespace talvik
