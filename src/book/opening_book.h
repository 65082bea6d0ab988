// The opening book in play: loading it into the engine and choosing a move.
#pragma once

#include <string>

#include "board/move.h"

namespace talvik {

class Engine;

// Reads the book into the engine (and switches the book on). The format is
// told by the content: Talvik's own books begin with "BOOK", anything else
// is read as a Polyglot book. A missing file logs "book file not found :
// <name>"; Talvik's format with a wrong version is refused silently; a file
// that is no Polyglot book either is refused with a log line saying why. A
// refused book leaves the book off and returns false.
bool loadBook(Engine& engine, const std::string& fileName);
// Frees the book and switches it off.
void unloadBook(Engine& engine);
// The book move for the engine's position, or NoMove. With selectivity 100
// the most successful move is always chosen; lower values spread the choice.
// A Polyglot book describes standard chess only and is not asked in Chess960.
Move probeBook(Engine& engine);

}  // namespace talvik
