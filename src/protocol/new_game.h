// The protocols' new game: the engine's new game, and no answer owed to an
// infinite search any more.
#pragma once

#include "search/engine.h"

namespace talvik {

inline void resetForNewGame(Engine& engine) {
  engine.newGame();
  engine.infinitePending = 0;
}

}  // namespace talvik
