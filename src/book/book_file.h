// The opening-book file: "BOOK", a format version, an entry count and the
// entries, every integer little-endian. Files are read and written field by
// field, so a book built on one machine reads the same on any other.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/book_entry.h"

namespace talvik {

inline constexpr std::uint32_t BookVersion = 0x00020000;
inline constexpr std::size_t BookHeaderSize = 12;
inline constexpr std::size_t BookEntrySize = 16;

enum class BookReadStatus {
  Ok,
  NotFound,    // the file cannot be opened
  BadHeader,   // wrong magic or version
  Truncated,   // fewer entries than the header declares; the ones read are kept
};

struct BookReadResult {
  BookReadStatus status;
  std::uint32_t declaredCount = 0;
};

// The file begins with the magic "BOOK": it is in Talvik's own format.
bool hasBookMagic(const std::string& fileName);
BookReadResult readBookFile(const std::string& fileName, std::vector<BookEntry>& entries);
// Writes the header and the entries; false when the file cannot be written.
bool writeBookFile(const std::string& fileName, const std::vector<BookEntry>& entries);

// Little-endian encoding of one entry (16 bytes).
void encodeBookEntry(const BookEntry& entry, unsigned char* out);
BookEntry decodeBookEntry(const unsigned char* in);

}  // namespace talvik
