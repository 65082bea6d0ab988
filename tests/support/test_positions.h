// Shared helpers for the unit tests: reference positions and board set-up.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/move.h"

namespace talvik::test {

struct PerftReference {
  std::string fen;
  std::vector<std::pair<int, std::uint64_t>> counts;  // (depth, leaves)
};

// The perft reference positions (standard chess first, then Chess960).
const std::vector<PerftReference>& perftReferences();
// Field `index` (0 = placement) of a FEN text, "" when absent.
std::string fenField(const std::string& fen, int index);
// The castling field names rook files (Chess960) rather than KQkq.
bool usesChess960Letters(const std::string& fen);
// Sets up a board from FEN; fails the current test when the text is rejected.
Board boardFromFen(const std::string& fen);
// The board's pieces as a signed mailbox (+type white, -type black).
std::array<std::int8_t, 64> mailboxOf(const Board& board);
// The same position set up from scratch: pieces, side, rights, en-passant
// file and clock of `board`.
Board freshSetup(const Board& board);
// Moves of a generator output, in order.
std::vector<Move> movesOf(const MoveEntry* list, int count);
// The legal moves in generation order.
std::vector<Move> legalMoves(const Board& board);
// Whether `move` is one of the legal moves of `board`.
bool isLegal(const Board& board, Move move);
// The side to move is in check and has no legal move.
bool isCheckmate(const Board& board);
// Coordinate texts of moves (castling as king to its destination).
std::vector<std::string> moveTexts(const std::vector<Move>& moves);
// True in the sanitizer builds, where deep searches are cut short.
constexpr bool sanitizedBuild() {
#ifdef TALVIK_SANITIZED
  return true;
#else
  return false;
#endif
}

}  // namespace talvik::test
