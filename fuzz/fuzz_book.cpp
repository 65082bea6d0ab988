// Book files: any bytes are loaded, and probing them on a few positions never
// reads outside the entries.
#include "book/opening_book.h"
#include "support.h"
#include "search/engine.h"
#include "search/game.h"

using namespace talvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = fuzz::engine();
  engine.bookSelectivity = size > 0 ? 1 + data[0] % 100 : 100;
  if (loadBook(engine, fuzz::scratchFile(data, size))) {
    engine.newGame();
    probeBook(engine.bookEntries, engine.board, engine.bookSelectivity, libraryRandom);
    playMoveText(engine, "e2e4");
    probeBook(engine.bookEntries, engine.board, engine.bookSelectivity, libraryRandom);
  }
  unloadBook(engine);
  return 0;
}
