// Book files: any bytes are loaded, and probing them on a few positions never
// reads outside the entries. Bytes without Talvik's "BOOK" header are read as
// a Polyglot book; its entries are probed once more under the keys of the
// probed positions, which random bytes would never hit, so that the move
// decoding and the weighted choice see every entry.
#include <algorithm>

#include "book/opening_book.h"
#include "book/polyglot_book.h"
#include "book/polyglot_key.h"
#include "support.h"
#include "search/engine.h"
#include "search/game.h"

using namespace talvik;

namespace {

void probeUnderKnownKeys(std::vector<PolyglotEntry> entries, const Board (&boards)[2], int selectivity,
                         std::uint32_t seed) {
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i].key = polyglotKey(boards[i % 2]);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PolyglotEntry& a, const PolyglotEntry& b) { return a.key < b.key; });
  std::uint32_t state = seed;
  const BookRandom random = [&state] {
    state = state * 1664525u + 1013904223u;
    return state >> 1;
  };
  for (const Board& board : boards) choosePolyglotMove(entries, board, selectivity, random);
}

// What the search driver asks the book for the engine's position.
Move probeEngineBook(const Engine& engine) {
  return probeBook(engine.bookEntries, engine.polyglotEntries, engine.board, engine.chess960 != 0,
                   engine.bookSelectivity, libraryRandom);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = fuzz::engine();
  engine.bookSelectivity = size > 0 ? 1 + data[0] % 100 : 100;
  if (loadBook(engine, fuzz::scratchFile(data, size))) {
    Board boards[2];
    engine.newGame();
    boards[0] = engine.board;
    probeEngineBook(engine);
    playMoveText(engine, "e2e4");
    boards[1] = engine.board;
    probeEngineBook(engine);
    if (!engine.polyglotEntries.empty())
      probeUnderKnownKeys(engine.polyglotEntries, boards, engine.bookSelectivity, static_cast<std::uint32_t>(size));
  }
  unloadBook(engine);
  return 0;
}
