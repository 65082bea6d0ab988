#include "eval/parameters.h"

#include "app/config.h"
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

void setParameter(Personality& personality, const std::string& name, const std::string& value) {
  (void)personality;
  static constexpr struct {
    const char* name;
    int type;
  } PieceValueNames[] = {{"PawnValue", Pawn}, {"KnightValue", Knight}, {"BishopValue", Bishop},
                         {"RookValue", Rook}, {"QueenValue", Queen}};
  for (const auto& entry : PieceValueNames)
    if (name == entry.name) pieceValue[entry.type] = parseDecimal(value);
}

}  // namespace talvik
