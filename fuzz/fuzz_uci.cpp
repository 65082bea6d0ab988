// UCI command lines against one engine: any line, in any order, is answered
// or ignored without harm.
#include "protocol/frontend.h"
#include "protocol_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  talvik::fuzz::runProtocolLines(talvik::UciProtocolId,
                                 {"ucinewgame", "setoption name MultiPV value 1", "setoption name UCI_Chess960 value false",
                                  "setoption name Ponder value false", "setoption name UCI_LimitStrength value false",
                                  "position startpos", "go depth 1"},
                                 data, size);
  return 0;
}
