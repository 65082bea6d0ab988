// The developer-tool switches of the command line and their grammar.
#pragma once

#include <string>
#include <vector>

#include "tools/tool_request.h"

namespace talvik {

// Parses the arguments after the program name. Switches are compared
// exactly; numbers are read as decimal integers.
ToolRequest parseCommandLine(const std::vector<std::string>& args);

// The "-help" text.
std::string helpText();

}  // namespace talvik
