#include "eval/parameters.h"

#include "board/board.h"

namespace talvik {

void installParameters(Personality& personality, bool fromPersonality) {
  pieceValue[Pawn] = 100;
  pieceValue[Knight] = 325;
  pieceValue[Bishop] = 325;
  pieceValue[Rook] = 500;
  pieceValue[Queen] = 975;
  if (fromPersonality) {
    pieceValue[Pawn] = personality.PawnValue;
    pieceValue[Knight] = personality.KnightValue;
    pieceValue[Bishop] = personality.BishopValue;
    pieceValue[Rook] = personality.RookValue;
    pieceValue[Queen] = personality.QueenValue;
  }
}

}  // namespace talvik
