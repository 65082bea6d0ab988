// The opening book in play: loading it into the engine and choosing a move.
#pragma once

#include <string>

#include "board/move.h"

namespace talvik {

class Engine;

// Reads the book into the engine (and switches the book on). A missing file
// logs "book file not found : <name>"; a wrong magic or version is refused
// silently; both leave the book off and return false.
bool loadBook(Engine& engine, const std::string& fileName);
// Frees the book and switches it off.
void unloadBook(Engine& engine);
// The book move for the engine's position, or NoMove. With selectivity 100
// the most successful move is always chosen; lower values spread the choice.
Move probeBook(Engine& engine);

}  // namespace talvik
