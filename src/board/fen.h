// FEN text in and out, and the board diagram.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "board/board.h"

namespace talvik {

struct ParsedFen {
  std::int8_t mailbox[64];  // +type white, -type black, 0 empty
  std::uint32_t side;       // 1 White, 0 Black
  std::uint8_t castleRights;
  std::uint8_t epFile;      // 0 none, else file + 1
  int fullmoveNumber;       // 0 when absent
  int halfmoveClock;
  std::size_t endIndex;     // first character after the text that was read
};

// Tolerant FEN reader: accepts Chess960 castling letters (A-H, a-h) and lets
// every field after the side to move be missing. Returns false for text it
// cannot read; placement that overflows a rank or the board is rejected.
bool parseFen(std::string_view text, ParsedFen& out);

// Why a parsed position cannot be played, or nullptr when it can: exactly one
// king per side, no pawn on the first or last rank, no more pieces than a game
// can produce, and the side that just moved not left in check. The search and
// the move generator rely on all of these.
const char* positionProblem(const Board& board);

// Writes the six FEN fields. `fullmoveNumber` is the standard move counter.
std::string boardToFen(const Board& board, int fullmoveNumber);

// The board diagram as printed by the "printBoard" command.
std::string boardDiagram(const Board& board);
void printBoard(const Board& board);

}  // namespace talvik
