// The command-line developer tools with the engine set-up each one needs.
// Each returns the process exit status.
#pragma once

#include "tools/tool_request.h"

namespace talvik {

class Engine;

int commandTestSuite(Engine& engine, const ToolRequest& request);
int commandBenchmark(Engine& engine, const ToolRequest& request);
int commandEvalSuite(Engine& engine, const ToolRequest& request);
int commandCheckFenSuite(Engine& engine, const ToolRequest& request);
int commandTestSee(Engine& engine, const ToolRequest& request);
int commandBuildBook(Engine& engine, const ToolRequest& request);

}  // namespace talvik
