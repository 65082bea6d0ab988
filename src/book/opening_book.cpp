#include "book/opening_book.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "app/logger.h"
#include "book/book_file.h"
#include "book/polyglot_book.h"
#include "search/engine.h"

namespace talvik {

namespace {

bool loadTalvikBook(Engine& engine, const std::string& fileName) {
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
  engine.bookEntries = std::move(entries);
  engine.polyglotEntries.clear();
  engine.polyglotEntries.shrink_to_fit();
  return true;
}

bool loadPolyglotBook(Engine& engine, const std::string& fileName) {
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
  engine.polyglotEntries = std::move(entries);
  engine.bookEntries.clear();
  engine.bookEntries.shrink_to_fit();
  return true;
}

}  // namespace

bool loadBook(Engine& engine, const std::string& fileName) {
  engine.bookMaxMoves = 20;
  engine.ownBook = 1;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const bool loaded = hasBookMagic(fileName) ? loadTalvikBook(engine, fileName) : loadPolyglotBook(engine, fileName);
  if (!loaded) engine.ownBook = 0;
  return loaded;
}

void unloadBook(Engine& engine) {
  engine.ownBook = 0;
  engine.bookEntries.clear();
  engine.bookEntries.shrink_to_fit();
  engine.polyglotEntries.clear();
  engine.polyglotEntries.shrink_to_fit();
}

Move probeBook(Engine& engine) {
  if (!engine.polyglotEntries.empty()) {
    if (engine.chess960) return NoMove;
    return choosePolyglotMove(engine.polyglotEntries, engine.board, engine.bookSelectivity,
                              [] { return static_cast<std::uint32_t>(std::rand()); });
  }
  const std::vector<BookEntry>& entries = engine.bookEntries;
  if (entries.empty()) return NoMove;
  const std::uint64_t key = engine.board.hashKey;
  const auto first = std::lower_bound(entries.begin(), entries.end(), key,
                                      [](const BookEntry& e, std::uint64_t k) { return e.key < k; });
  if (first == entries.end() || first->key != key) return NoMove;
  if (engine.bookSelectivity >= 100) return first->move;
  auto it = first;
  for (; it != entries.end() && it->key == key; ++it)
    if (std::rand() % 100 < engine.bookSelectivity) return it->move;
  return std::prev(it)->move;  // none was drawn: the last entry of the position
}

}  // namespace talvik
