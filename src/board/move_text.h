// Text forms of moves: coordinate text for the protocols, long algebraic
// text for display.
#pragma once

#include <string>

#include "board/move.h"

namespace talvik {

// Coordinate text (e2e4, e7e8q). Castling is stored as king-takes-rook; with
// `chess960` off it is written as the king's destination (e1g1), with it on
// as king square then rook square (e1h1). NoMove gives "0000".
std::string moveToCoordinate(Move move, bool chess960);
// Coordinate texts separated by single spaces; an empty line gives "".
std::string movesToText(const Move* moves, int count, bool chess960);
// Long algebraic text: Ng1-f3, e2-e4, Bb5xc6, e5xd6e.p, e7-e8=Q, O-O, O-O-O.
// NoMove gives "".
std::string moveToDisplayText(Move move);

}  // namespace talvik
