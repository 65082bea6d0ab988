// FEN text: the reader, the position installer and the writer. A position
// that installs must write out as FEN that reads back to the same board.
#include <cstdlib>
#include <cstring>

#include "board/fen.h"
#include "support.h"
#include "search/engine.h"
#include "search/game.h"

using namespace talvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = fuzz::engine();
  ParsedFen parsed;
  parseFen(fuzz::text(data, size), parsed);
  if (!setPositionFromFen(engine, fuzz::text(data, size))) return 0;
  const Board installed = engine.board;
  const std::string fen = gameFen(engine);
  if (!setPositionFromFen(engine, fen) || !(engine.board == installed)) std::abort();
  return 0;
}
