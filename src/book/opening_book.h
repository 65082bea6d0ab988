// Choosing a move from the opening book.
#pragma once

#include "board/move.h"

namespace talvik {

class Engine;

// A book move for the engine's game position, or NoMove when the book has
// none (or no book is loaded). The search driver plays it only when it is a
// legal move of the position.
Move probeBook(Engine& engine);

}  // namespace talvik
