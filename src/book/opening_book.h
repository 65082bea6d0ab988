// The opening book in play: reading its entries and choosing a move.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/move.h"
#include "book/book_entry.h"
#include "book/polyglot_book.h"
#include "book/polyglot_file.h"

namespace talvik {

// The C library's generator, which loadBookEntries seeds from the clock: the
// random source of the book choice in play.
std::uint32_t libraryRandom();

// Reads a book file into `entries` (Talvik's format) or `polyglotEntries`
// and empties the other, and seeds the library's generator. The format is
// told by the content: Talvik's own books begin with "BOOK", anything else
// is read as a Polyglot book. A missing file logs "book file not found :
// <name>"; Talvik's format with a wrong version is refused silently; a file
// that is no Polyglot book either is refused with a log line saying why. A
// refused book leaves both lists as they were and returns false.
bool loadBookEntries(std::vector<BookEntry>& entries, std::vector<PolyglotEntry>& polyglotEntries,
                     const std::string& fileName);
// The book move for the board's position, or NoMove; a Polyglot book, when
// one is loaded, is used instead of Talvik's. With selectivity 100 the most
// successful move is always chosen; lower values spread the choice. A
// Polyglot book describes standard chess only and is not asked in Chess960.
Move probeBook(const std::vector<BookEntry>& entries, const std::vector<PolyglotEntry>& polyglotEntries,
               const Board& board, bool chess960, int selectivity, const BookRandom& random);

}  // namespace talvik
