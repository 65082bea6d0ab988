#include "support/test_positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "board/fen.h"
#include "board/move_text.h"
#include "board/movegen.h"

namespace talvik::test {

namespace {

// Every test may use the slider tables.
class BoardTables : public ::testing::Environment {
 public:
  void SetUp() override { initBitboardTables(); }
};
[[maybe_unused]] const auto* const boardTables = ::testing::AddGlobalTestEnvironment(new BoardTables);

}  // namespace

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

std::string fenField(const std::string& fen, int index) {
  std::istringstream fields(fen);
  std::string field;
  for (int i = 0; i <= index; ++i)
    if (!(fields >> field)) return "";
  return field;
}

bool usesChess960Letters(const std::string& fen) {
  return fenField(fen, 2).find_first_not_of("KQkq-") != std::string::npos;
}

Board boardFromFen(const std::string& fen) {
  initBitboardTables();
  ParsedFen parsed;
  Board board{};
  EXPECT_TRUE(parseFen(fen, parsed)) << fen;
  setupBoard(board, parsed.mailbox, parsed.side, parsed.castleRights, parsed.epFile,
             static_cast<std::uint8_t>(std::min(parsed.halfmoveClock, 255)));
  return board;
}

std::array<std::int8_t, 64> mailboxOf(const Board& board) {
  std::array<std::int8_t, 64> mailbox{};
  for (Square sq = 0; sq < 64; ++sq) {
    const int type = board.squareType[sq];
    mailbox[sq] = static_cast<std::int8_t>(board.colourOn(sq) == White ? type : -type);
  }
  return mailbox;
}

Board freshSetup(const Board& board) {
  Board fresh;
  setupBoard(fresh, mailboxOf(board).data(), board.sideToMove, board.castleRights, board.epFile,
             board.halfmoveClock);
  return fresh;
}

std::vector<Move> movesOf(const MoveEntry* list, int count) {
  std::vector<Move> moves;
  for (int i = 0; i < count; ++i) moves.push_back(list[i].move);
  return moves;
}

std::vector<Move> legalMoves(const Board& board) {
  MoveList list;
  const int count = generateLegal(board, list.entries, sideToMoveInCheck(board));
  return movesOf(list.entries, count);
}

bool isLegal(const Board& board, Move move) {
  const std::vector<Move> moves = legalMoves(board);
  return std::find(moves.begin(), moves.end(), move) != moves.end();
}

bool isCheckmate(const Board& board) { return sideToMoveInCheck(board) && legalMoves(board).empty(); }

std::vector<std::string> moveTexts(const std::vector<Move>& moves) {
  std::vector<std::string> texts;
  for (Move m : moves) texts.push_back(moveToCoordinate(m, false));
  return texts;
}

}  // namespace talvik::test
