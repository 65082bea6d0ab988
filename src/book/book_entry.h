// One opening-book entry: a position key and a move with its statistics.
#pragma once

#include <cstdint>

#include "board/move.h"

namespace talvik {

struct BookEntry {
  std::uint64_t key;     // hashKey of the position before the move
  Move move;
  std::uint16_t count;   // games in which the move was played here
  std::uint16_t points;  // the mover's score: 2 per win, 1 per draw
};

}  // namespace talvik
