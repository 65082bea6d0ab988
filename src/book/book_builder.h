// Building an opening book from a PGN collection: every (position, move) pair
// of the first moves of each game is counted with the score it brought the
// side that played it; pairs seen too rarely are dropped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/book_entry.h"
#include "book/polyglot_file.h"
#include "book/pgn_reader.h"

namespace talvik {

// The file a build writes: Talvik's own format, or the Polyglot format that
// other chess programs read.
enum class BookFormat { Talvik, Polyglot };

class BookBuilder : public PgnListener {
 public:
  // Records White's first `maxDepth` moves and Black's first `maxDepth` - 1
  // moves of each game; keeps pairs played at least `minCount` times.
  BookBuilder(std::string outputName, int maxDepth, int minCount, BookFormat format = BookFormat::Talvik);

  void onBeginFile(PgnReader& reader) override;
  void onBeginGame(PgnReader& reader) override;
  void onMove(PgnReader& reader, const PgnMoveRecord& record, Move move, const std::string* comment) override;
  void onEndFile(PgnReader& reader) override;

  // The entries that would be saved now, sorted as in the file. In the
  // Polyglot format the keys are Polyglot keys; polyglotEntries() turns them
  // into that format's entries.
  std::vector<BookEntry> sortedEntries() const;
  std::vector<PolyglotEntry> polyglotEntries() const;
  bool saved() const { return saved_; }

  static constexpr std::uint32_t SlotCount = 1u << 20;
  static constexpr std::uint32_t SlotMask = SlotCount - 1;

 private:
  void record(Move move, int mover);
  std::uint64_t keyOf(const Board& board) const;

  std::string outputName_;
  int minCount_;
  int maxDepth_;
  int result_ = 0;  // 0 draw or unknown, 1 White won, 2 Black won
  std::vector<BookEntry> table_;  // open addressing; key 0 marks an empty slot
  // Polyglot format: when each slot's pair was first seen (the order of the
  // games), which orders moves of equal weight as "polyglot make-book" does.
  std::vector<std::uint32_t> firstSeen_;
  std::uint32_t pairsSeen_ = 0;
  std::uint64_t prevKey_ = 0;
  BookFormat format_;
  bool skipGame_ = false;  // a castling geometry that Polyglot keys cannot describe
  bool saved_ = false;
};

// The "-buildbook" tool. Returns false when the PGN file cannot be read or the
// book cannot be written.
bool buildBook(const std::string& pgnFile, const std::string& bookFile, int depth, int count,
               BookFormat format = BookFormat::Talvik);

}  // namespace talvik
