#include "support/test_positions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "board/fen.h"

namespace talvik::test {

const std::vector<PerftReference>& perftReferences() {
  static const std::vector<PerftReference> references = [] {
    std::vector<PerftReference> list;
    std::ifstream in(std::string(TALVIK_DATA_DIR) + "/perft/standard.epd");
    std::string line;
    while (std::getline(in, line)) {
      const std::size_t semi = line.find(';');
      if (semi == std::string::npos) continue;
      PerftReference ref;
      ref.fen = line.substr(0, semi);
      std::istringstream fields(line.substr(semi));
      std::string tag;
      std::uint64_t count;
      while (fields >> tag >> count) ref.counts.emplace_back(std::stoi(tag.substr(2)), count);
      list.push_back(ref);
    }
    return list;
  }();
  return references;
}

Board boardFromFen(const std::string& fen) {
  initBitboardTables();
  ParsedFen parsed;
  Board board{};
  EXPECT_TRUE(parseFen(fen, parsed)) << fen;
  setupBoard(board, parsed.mailbox, parsed.side, parsed.castleRights, parsed.epFile,
             static_cast<std::uint8_t>(parsed.halfmoveClock));
  return board;
}

}  // namespace talvik::test
