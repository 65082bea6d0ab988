// PGN text through the reader, with every game replayed.
#include "book/pgn_reader.h"
#include "support.h"

using namespace talvik;

namespace {
struct CountingListener : PgnListener {
  int moves = 0;
  void onMove(PgnReader&, const PgnMoveRecord&, Move, const std::string*) override { ++moves; }
  void onError(PgnReader&, int, const std::string&) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CountingListener listener;
  PgnReader reader(listener);
  reader.parseText(std::string(fuzz::text(data, size)));
  return 0;
}
