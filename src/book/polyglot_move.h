// Moves in Polyglot books: 16 bits, from the least significant one
//   0-2 to-file   3-5 to-rank   6-8 from-file   9-11 from-rank
//   12-14 promotion (0 none, 1 knight, 2 bishop, 3 rook, 4 queen)
// Castling is written as the king moving onto its own rook, as Talvik's move
// word has it too. Squares count as Talvik's do (a1 = 0, h1 = 7, a8 = 56).
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

std::uint16_t toPolyglotMove(Move move);
// The legal move of the position that a book move stands for, or NoMove when
// it stands for none (a key collision or a damaged book).
Move fromPolyglotMove(const Board& board, std::uint16_t move);

}  // namespace talvik
