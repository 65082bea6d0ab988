#include "protocol/protocol_selector.h"

#include <gtest/gtest.h>

#include "board/board.h"
#include "protocol/frontend.h"
#include "search/engine.h"

namespace talvik {
namespace {

// Lines the selector handles without installing a protocol (which would
// answer on standard output): whether the program goes on, and its effect.
TEST(ProtocolSelector, FirstLinesThatInstallNoProtocol) {
  struct Case {
    const char* line;
    bool quits;
    int pawnValue;  // after the line; 100 is the default
  };
  const Case cases[] = {
      {"", false, 100},
      {"      ", false, 100},
      {"setvalue PawnValue 120", false, 120},
      {"  setvalue   PawnValue   90  ", false, 90},
      {"setvalue PawnValue", false, 100},  // value missing: nothing happens
      {"setvalue", false, 100},
      {"setvalueXYZ PawnValue 80", false, 80},  // command words match by prefix
      {"quit", true, 100},
      {"quitting now", true, 100},
      {"hello", true, 100},
      {"Uci", true, 100},  // case matters
      {"\xff\xfe\x01 uci", true, 100},
  };
  for (const Case& c : cases) {
    const std::int32_t savedPawn = pieceValue[Pawn];
    pieceValue[Pawn] = 100;
    Engine engine;
    setProtocol(engine, SelectorProtocolId);
    handleCommandLine(engine, c.line);
    EXPECT_EQ(engine.quitRequested != 0, c.quits) << c.line;
    EXPECT_EQ(engine.protocolId, SelectorProtocolId) << c.line;
    EXPECT_EQ(pieceValue[Pawn], c.pawnValue) << c.line;
    pieceValue[Pawn] = savedPawn;
  }
}

}  // namespace
}  // namespace talvik
