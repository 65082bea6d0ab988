// The engine's game line: installing positions, playing move text sent by a
// GUI, and writing the game position as FEN.
#pragma once

#include <string>
#include <string_view>

#include "search/engine.h"

namespace talvik {

// Installs a FEN position as the start of a new game line. On failure logs
// "Invalid FEN string : '...'", leaves the game unchanged and, when `reason`
// is given, says there why the position was refused.
bool setPositionFromFen(Engine& engine, std::string_view text, const char** reason = nullptr);
// Plays a space-separated list of coordinate moves (and O-O / O-O-O) on the
// game. Stops at the first illegal move, which is reported to the GUI through
// the engine's report sink and to the log; the moves before it stay played.
bool playMoveText(Engine& engine, std::string_view text);
// Turns one coordinate move into the move word it means in `board`, or NoMove
// when the text is malformed or the move is not legal there.
Move parseCoordinateMove(const Board& board, std::string_view text, bool chess960);
// FEN of the game position with the standard fullmove number.
std::string gameFen(const Engine& engine);

}  // namespace talvik
