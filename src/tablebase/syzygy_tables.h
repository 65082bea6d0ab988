// Syzygy endgame tables, probed through Fathom: opening them, the
// win/draw/loss probe of the search and the ranking of the root moves.
// The tables are one set per process.
#pragma once

#include <string>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// A table result from the side to move's view. A cursed win is a win that
// the fifty-move rule turns into a draw; a blessed loss likewise.
enum TableResult : int { TableLoss = 0, TableBlessedLoss = 1, TableDraw = 2, TableCursedWin = 3, TableWin = 4 };

struct TableSet {
  int wdlCount = 0;  // win/draw/loss tables (.rtbw) found
  int dtzCount = 0;  // distance-to-zero tables (.rtbz) found
  int largest = 0;   // pieces, kings included, of the largest table (0: none)
};

// Opens the tables in the folders of `path` (separated by ':'); an empty
// path or "<empty>" closes them. Folders that do not exist or hold no tables
// are no error. Never while a search may probe.
TableSet openTables(const std::string& path);
// Pieces of the largest table open (0 when none is).
int largestTable();

// A position a game can reach: one king each, no pawn on a back rank, the
// side not to move not in check. Fathom must never see another (its asserts
// are off, so it would read out of its tables).
bool reachablePosition(const Board& board);
// Whether the tables answer for this reachable root position: no castling
// rights, at most `pieceLimit` pieces and no more than the largest table has.
bool tablesCoverRoot(const Board& board, int pieceLimit);

// The win/draw/loss probe of a position reached by legal moves whose
// fifty-move counter is 0 and that has no castling rights. False when the
// tables have no answer.
bool probeWdl(const Board& board, TableResult& result);

// The legal moves of a covered root position, ranked by the distance-to-zero
// tables (so that a win is kept within the fifty-move rule), or by the
// win/draw/loss tables where those are missing. Higher ranks are better;
// moves of the same rank are equally good. `hasRepeated`: a position since
// the last capture or pawn move has occurred twice. Returns the number of
// moves ranked, 0 when the tables have no answer.
struct RankedMove {
  Move move = NoMove;
  int rank = 0;
};
int rankRootMoves(const Board& board, bool hasRepeated, bool useRule50, RankedMove* ranked);
// The result a rank stands for; without the fifty-move rule a cursed win
// counts as a win and a blessed loss as a loss.
TableResult rankResult(int rank, bool useRule50);

}  // namespace talvik
