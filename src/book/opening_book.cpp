#include "book/opening_book.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "base/data_files.h"
#include "base/logger.h"
#include "book/book_file.h"

namespace talvik {

namespace {

bool loadTalvikBook(std::vector<BookEntry>& bookEntries, std::vector<PolyglotEntry>& polyglotEntries,
                    const std::string& fileName) {
  std::vector<BookEntry> entries;
  const BookReadResult result = readBookFile(fileName, entries);
  switch (result.status) {
    case BookReadStatus::NotFound:
      logError("book file not found : %s", fileName.c_str());
      return false;
    case BookReadStatus::BadHeader:
      return false;
    case BookReadStatus::Truncated:
      logError("book file %s is truncated: %u of %u entries read", fileName.c_str(),
               static_cast<unsigned>(entries.size()), static_cast<unsigned>(result.declaredCount));
      break;
    case BookReadStatus::Ok:
      break;
  }
  bookEntries = std::move(entries);
  polyglotEntries.clear();
  polyglotEntries.shrink_to_fit();
  return true;
}

bool loadPolyglotBook(std::vector<BookEntry>& bookEntries, std::vector<PolyglotEntry>& polyglotEntries,
                      const std::string& fileName) {
  std::vector<PolyglotEntry> entries;
  const PolyglotReadResult result = readPolyglotFile(fileName, entries);
  const char* name = fileName.c_str();
  const auto bytes = static_cast<unsigned long long>(result.bytes);
  switch (result.status) {
    case PolyglotReadStatus::NotFound:
      logError("book file not found : %s", name);
      return false;
    case PolyglotReadStatus::Empty:
      logError("book file %s is not an opening book: the file is empty", name);
      return false;
    case PolyglotReadStatus::TooShort:
      logError("book file %s is not an opening book: %llu bytes, less than one 16-byte Polyglot entry", name, bytes);
      return false;
    case PolyglotReadStatus::Unsorted:
      logError("book file %s is not an opening book: no \"BOOK\" header, and as a Polyglot book its entry %llu is "
               "out of key order", name, static_cast<unsigned long long>(result.unsortedEntry));
      return false;
    case PolyglotReadStatus::TooLarge:
      logError("book file %s does not fit in memory", name);
      return false;
    case PolyglotReadStatus::Truncated:
      logError("book file %s is truncated: %u whole Polyglot entries kept, %llu bytes after them ignored", name,
               static_cast<unsigned>(entries.size()), bytes % PolyglotEntrySize);
      break;
    case PolyglotReadStatus::Ok:
      break;
  }
  logInfo("Polyglot book %s: %u entries", name, static_cast<unsigned>(entries.size()));
  polyglotEntries = std::move(entries);
  bookEntries.clear();
  bookEntries.shrink_to_fit();
  return true;
}

}  // namespace

std::uint32_t libraryRandom() { return static_cast<std::uint32_t>(std::rand()); }

bool loadBookEntries(std::vector<BookEntry>& entries, std::vector<PolyglotEntry>& polyglotEntries,
                     const std::string& fileName) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const std::string path = locateDataFile(fileName);
  return hasBookMagic(path) ? loadTalvikBook(entries, polyglotEntries, path)
                            : loadPolyglotBook(entries, polyglotEntries, path);
}

Move probeBook(const std::vector<BookEntry>& entries, const std::vector<PolyglotEntry>& polyglotEntries,
               const Board& board, bool chess960, int selectivity, const BookRandom& random) {
  if (!polyglotEntries.empty()) {
    if (chess960) return NoMove;
    return choosePolyglotMove(polyglotEntries, board, selectivity, random);
  }
  if (entries.empty()) return NoMove;
  const std::uint64_t key = board.hashKey;
  const auto first = std::lower_bound(entries.begin(), entries.end(), key,
                                      [](const BookEntry& e, std::uint64_t k) { return e.key < k; });
  if (first == entries.end() || first->key != key) return NoMove;
  if (selectivity >= 100) return first->move;
  auto it = first;
  for (; it != entries.end() && it->key == key; ++it)
    if (static_cast<int>(random() % 100) < selectivity) return it->move;
  return std::prev(it)->move;  // none was drawn: the last entry of the position
}

}  // namespace talvik
