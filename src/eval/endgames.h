// Known endgames, recognised by the material signature when little material
// is left: exact scores for the bare-king mates and king and pawn against
// king, draws and drawish scale factors for the minor-piece endings.
#pragma once

#include "board/board.h"

namespace talvik {

struct EndgameVerdict {
  bool final;  // `score` is the evaluation (side to move's view)
  int score;
  int scale;  // otherwise: the draw scale in 32nds (32 = no scaling)
};

// Called for a total phase of 8 or less.
EndgameVerdict recogniseEndgame(const Board& board);

}  // namespace talvik
