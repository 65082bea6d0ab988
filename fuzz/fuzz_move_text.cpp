// Move text sent by a GUI, played on the start position or on a FEN given in
// the first line. Whatever is refused must leave the game unchanged; what is
// played must keep the board's incremental state exact.
#include <cstdlib>

#include "board/fen.h"
#include "support.h"
#include "search/engine.h"
#include "search/game.h"

using namespace talvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = fuzz::engine();
  std::string_view input = fuzz::text(data, size);
  engine.chess960 = size > 0 && (data[0] & 1);
  engine.newGame();
  const std::size_t newline = input.find('\n');
  if (newline != std::string_view::npos) {
    setPositionFromFen(engine, input.substr(0, newline));
    input.remove_prefix(newline + 1);
  }
  playMoveText(engine, input);
  if (engine.board.hashKey != computeHashKey(engine.board) || engine.board.pawnKey != computePawnKey(engine.board))
    std::abort();
  if (engine.gameMoves.size() != engine.gameUndo.size()) std::abort();
  while (engine.takeBack()) {
  }
  return 0;
}
