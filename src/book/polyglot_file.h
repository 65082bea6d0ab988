// Opening books in the Polyglot format, which most chess programs read and
// write: a bare sequence of 16-byte entries, every field big-endian, sorted
// by key. There is no header, so such a file is recognised by its content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talvik {

struct PolyglotEntry {
  std::uint64_t key;     // polyglotKey() of the position before the move
  std::uint16_t move;    // see polyglot_move.h
  std::uint16_t weight;  // relative chance of the move; 0 = never played
  std::uint32_t learn;   // kept as read; Talvik writes 0
};

inline constexpr std::size_t PolyglotEntrySize = 16;

enum class PolyglotReadStatus {
  Ok,
  NotFound,   // the file cannot be opened
  Empty,      // no bytes at all
  TooShort,   // not even one whole entry
  Unsorted,   // a key smaller than the one before it: not a book of this format
  Truncated,  // bytes left over after the last whole entry; the whole entries are kept
  TooLarge,   // the entries do not fit in memory
};

struct PolyglotReadResult {
  PolyglotReadStatus status;
  std::uint64_t bytes = 0;          // bytes read (not kept for TooLarge)
  std::uint64_t unsortedEntry = 0;  // Unsorted: index of the first entry out of order
};

// Reads every whole entry; on any status but Ok and Truncated the entries are
// left empty.
PolyglotReadResult readPolyglotFile(const std::string& fileName, std::vector<PolyglotEntry>& entries);
// Writes the entries as they are; false when the file cannot be written.
bool writePolyglotFile(const std::string& fileName, const std::vector<PolyglotEntry>& entries);

// Big-endian encoding of one entry (16 bytes).
void encodePolyglotEntry(const PolyglotEntry& entry, unsigned char* out);
PolyglotEntry decodePolyglotEntry(const unsigned char* in);

}  // namespace talvik
