#include "book/opening_book.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "base/logger.h"
#include "book/book_file.h"
#include "search/engine.h"

namespace talvik {

bool loadBook(Engine& engine, const std::string& fileName) {
  engine.bookMaxMoves = 20;
  engine.ownBook = 1;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::vector<BookEntry> entries;
  const BookReadResult result = readBookFile(fileName, entries);
  switch (result.status) {
    case BookReadStatus::NotFound:
      logError("book file not found : %s", fileName.c_str());
      engine.ownBook = 0;
      return false;
    case BookReadStatus::BadHeader:
      engine.ownBook = 0;
      return false;
    case BookReadStatus::Truncated:
      logError("book file %s is truncated: %u of %u entries read", fileName.c_str(),
               static_cast<unsigned>(entries.size()), static_cast<unsigned>(result.declaredCount));
      break;
    case BookReadStatus::Ok:
      break;
  }
  engine.bookEntries = std::move(entries);
  return true;
}

void unloadBook(Engine& engine) {
  engine.ownBook = 0;
  engine.bookEntries.clear();
  engine.bookEntries.shrink_to_fit();
}

Move probeBook(Engine& engine) {
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
