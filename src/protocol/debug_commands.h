// Commands that both protocols accept for debugging: show the position
// ("printBoard", "eval", "printHashKey", "printFEN") and count the move tree
// ("perftd", "perft", "divide"). They work on the engine's game position.
#pragma once

#include "protocol/line_tokenizer.h"

namespace talvik {

class Engine;

enum class DebugCommand { None, PrintBoard, Eval, PrintHashKey, PrintFen, PerftDetailed, Perft, Divide };

// The debug command the current token names (begins-with matching; "perftd"
// is tested before "perft"), or None.
DebugCommand debugCommandOf(const LineTokenizer& tokens);
// Runs it; the perft family reads its depth from the next token and does
// nothing without one.
void runDebugCommand(Engine& engine, DebugCommand command, LineTokenizer& tokens);

}  // namespace talvik
