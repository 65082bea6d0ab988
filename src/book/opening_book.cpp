#include "book/opening_book.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "base/logger.h"
#include "book/book_file.h"

namespace talvik {

int libraryRandom() { return std::rand(); }

bool loadBookEntries(std::vector<BookEntry>& bookEntries, const std::string& fileName) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
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
  return true;
}

Move probeBook(const std::vector<BookEntry>& entries, const Board& board, int selectivity, BookRandom random) {
  if (entries.empty()) return NoMove;
  const std::uint64_t key = board.hashKey;
  const auto first = std::lower_bound(entries.begin(), entries.end(), key,
                                      [](const BookEntry& e, std::uint64_t k) { return e.key < k; });
  if (first == entries.end() || first->key != key) return NoMove;
  if (selectivity >= 100) return first->move;
  auto it = first;
  for (; it != entries.end() && it->key == key; ++it)
    if (random() % 100 < selectivity) return it->move;
  return std::prev(it)->move;  // none was drawn: the last entry of the position
}

}  // namespace talvik
