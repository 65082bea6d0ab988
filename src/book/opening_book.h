// The opening book in play: reading its entries and choosing a move.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"
#include "board/move.h"
#include "book/book_entry.h"

namespace talvik {

// Where the book choice draws its numbers from.
using BookRandom = int (*)();
// The C library's generator, which loadBookEntries seeds from the clock.
int libraryRandom();

// Reads the book file into `entries` and seeds the library's generator. A
// missing file logs "book file not found : <name>"; a wrong magic or version
// is refused silently; both leave `entries` as they were and return false.
bool loadBookEntries(std::vector<BookEntry>& entries, const std::string& fileName);
// The book move for the board's position, or NoMove. With selectivity 100
// the most successful move is always chosen; lower values spread the choice.
Move probeBook(const std::vector<BookEntry>& entries, const Board& board, int selectivity, BookRandom random);

}  // namespace talvik
