#include "book/book_builder.h"

#include <algorithm>

#include "base/logger.h"
#include "book/book_file.h"
#include "book/polyglot_key.h"
#include "book/polyglot_move.h"

namespace talvik {

BookBuilder::BookBuilder(std::string outputName, int maxDepth, int minCount, BookFormat format)
    : outputName_(std::move(outputName)), minCount_(minCount), maxDepth_(maxDepth), format_(format) {}

std::uint64_t BookBuilder::keyOf(const Board& board) const {
  return format_ == BookFormat::Polyglot ? polyglotKey(board) : board.hashKey;
}

void BookBuilder::onBeginFile(PgnReader&) {
  table_.assign(SlotCount, BookEntry{});
  if (format_ == BookFormat::Polyglot) firstSeen_.assign(SlotCount, 0);
  pairsSeen_ = 0;
}

void BookBuilder::onBeginGame(PgnReader& reader) {
  const std::string* result = reader.tagValue("Result");
  result_ = !result ? 0 : *result == "1-0" ? 1 : *result == "0-1" ? 2 : 0;
  prevKey_ = keyOf(reader.board);
  // Castling rights only shrink, so a game's start position decides for all of it.
  skipGame_ = format_ == BookFormat::Polyglot && !hasStandardCastling(reader.board);
}

void BookBuilder::onMove(PgnReader& reader, const PgnMoveRecord&, Move move, const std::string*) {
  // The reader has made the move already: the mover is the side not to move.
  if (reader.moveCounter < maxDepth_ && !skipGame_) record(move, static_cast<int>(reader.board.sideToMove) ^ 1);
  prevKey_ = keyOf(reader.board);
}

void BookBuilder::record(Move move, int mover) {
  if (table_.empty()) return;
  const int points = result_ == 0 ? 1 : (mover == White && result_ == 1) || (mover == Black && result_ == 2) ? 2 : 0;
  const std::uint32_t start = static_cast<std::uint32_t>(prevKey_) & SlotMask;
  std::uint32_t slot = start;
  do {
    BookEntry& entry = table_[slot];
    if (entry.key == prevKey_ && entry.move == move) {
      // The file's 16-bit fields stop at their maximum instead of wrapping.
      entry.count = static_cast<std::uint16_t>(std::min(entry.count + 1, 65535));
      entry.points = static_cast<std::uint16_t>(std::min(entry.points + points, 65535));
      return;
    }
    if (entry.key == 0) {
      entry = BookEntry{prevKey_, move, 1, static_cast<std::uint16_t>(points)};
      if (!firstSeen_.empty()) firstSeen_[slot] = pairsSeen_++;
      return;
    }
    slot = (slot + 1) & SlotMask;
  } while (slot != start);
  logError("build opening book : not enough memory !");
}

std::vector<BookEntry> BookBuilder::sortedEntries() const {
  std::vector<BookEntry> kept;
  for (const BookEntry& entry : table_)
    if (entry.key != 0 && entry.count >= minCount_) kept.push_back(entry);
  // Key ascending, then the most successful move first (the move breaks ties
  // so that the file does not depend on the table's slot order).
  std::sort(kept.begin(), kept.end(), [](const BookEntry& a, const BookEntry& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.points != b.points) return a.points > b.points;
    return a.move < b.move;
  });
  return kept;
}

std::vector<PolyglotEntry> BookBuilder::polyglotEntries() const {
  // The weight is the mover's points; a move that never scored gets none, and
  // weight-0 entries are never played, so it is left out.
  std::vector<std::uint32_t> slots;
  for (std::uint32_t slot = 0; slot < table_.size(); ++slot) {
    const BookEntry& entry = table_[slot];
    if (entry.key != 0 && entry.count >= minCount_ && entry.points > 0) slots.push_back(slot);
  }
  // Key ascending, the heaviest move first, and moves of equal weight in the
  // order the games first played them.
  const auto seen = [this](std::uint32_t slot) { return firstSeen_.empty() ? slot : firstSeen_[slot]; };
  std::sort(slots.begin(), slots.end(), [&](std::uint32_t a, std::uint32_t b) {
    const BookEntry& x = table_[a];
    const BookEntry& y = table_[b];
    if (x.key != y.key) return x.key < y.key;
    if (x.points != y.points) return x.points > y.points;
    return seen(a) < seen(b);
  });
  std::vector<PolyglotEntry> entries;
  entries.reserve(slots.size());
  for (const std::uint32_t slot : slots)
    entries.push_back({table_[slot].key, toPolyglotMove(table_[slot].move), table_[slot].points, 0});
  return entries;
}

void BookBuilder::onEndFile(PgnReader&) {
  saved_ = format_ == BookFormat::Polyglot ? writePolyglotFile(outputName_, polyglotEntries())
                                           : writeBookFile(outputName_, sortedEntries());
  if (!saved_) logError("error saving book file : %s", outputName_.c_str());
  table_.clear();
  table_.shrink_to_fit();
  firstSeen_.clear();
  firstSeen_.shrink_to_fit();
}

bool buildBook(const std::string& pgnFile, const std::string& bookFile, int depth, int count, BookFormat format) {
  BookBuilder builder(bookFile, depth, count, format);
  PgnReader reader(builder);
  return reader.parseFile(pgnFile) && builder.saved();
}

}  // namespace talvik
