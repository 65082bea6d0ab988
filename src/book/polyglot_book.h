// Playing from a Polyglot book: the moves it offers in a position and the
// choice among them.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "board/board.h"
#include "board/move.h"
#include "book/polyglot_file.h"

namespace talvik {

struct WeightedMove {
  Move move;
  std::uint64_t weight;
};

// The moves the book offers in the position, in file order: entries whose
// move is not legal here are skipped, and so are weight-0 entries, which the
// format keeps but never plays. A move listed twice counts once, with the
// weights added.
std::vector<WeightedMove> polyglotBookMoves(const std::vector<PolyglotEntry>& book, const Board& board);

// Uniform random numbers of at least 31 bits (std::rand in play, a seeded
// generator in tests).
using BookRandom = std::function<std::uint32_t()>;

// The move to play, or NoMove when the book offers none. The selectivity
// (1..100) works as with Talvik's own books, whose first entry is the most
// successful move: with a chance of `selectivity` percent (always at 100) the
// heaviest move is played; otherwise the move is drawn with a chance
// proportional to its weight, the format's own rule.
Move choosePolyglotMove(const std::vector<PolyglotEntry>& book, const Board& board, int selectivity,
                        const BookRandom& random);

}  // namespace talvik
