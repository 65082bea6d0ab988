#include "tablebase/syzygy_tables.h"

#include <tbprobe.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/logger.h"
#include "board/movegen.h"

extern "C" {
void talvik_fathom_close(void);
int talvik_fathom_wdl_count(void);
int talvik_fathom_dtz_count(void);

// Fathom's messages to standard output (a table file of the wrong size) go
// to the log.
int talvik_fathom_message(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  talvik::logInfo("Syzygy: %s", text);
  return 0;
}

// Fathom's report of a failed system call. Its test of munmap is inverted:
// it reports the calls that succeed, which are no news.
void talvik_fathom_error(const char* what) {
  if (std::strcmp(what, "munmap") != 0) talvik::logError("Syzygy: %s failed: %s", what, std::strerror(errno));
}

void talvik_fathom_exit(int status) { talvik::logError("Syzygy: a table file cannot be mapped (%d)", status); }
}

namespace talvik {

namespace {

// Fathom ranks a root move's win at 1000 (900 and above keep the win within
// the fifty-move rule), a loss at -1000; ranks between are draws by the
// fifty-move rule.
constexpr int FiftyMoveBound = 900;

struct FathomPosition {
  std::uint64_t white, black, kings, queens, rooks, bishops, knights, pawns;
  unsigned rule50, ep;
  bool whiteToMove;
};

FathomPosition fathomPosition(const Board& board) {
  auto both = [&](int type) { return board.pieces(type, White) | board.pieces(type, Black); };
  FathomPosition p{};
  p.white = board.colourBB[White];
  p.black = board.colourBB[Black];
  p.kings = both(King);
  p.queens = both(Queen);
  p.rooks = both(Rook);
  p.bishops = both(Bishop);
  p.knights = both(Knight);
  p.pawns = both(Pawn);
  p.rule50 = board.halfmoveClock;
  p.whiteToMove = board.sideToMove == White;
  // Fathom wants the square a pawn takes en passant on (it skips the
  // capture when no pawn can make it).
  if (board.epFile != 0) p.ep = static_cast<unsigned>(makeSquare(board.epFile - 1, p.whiteToMove ? 5 : 2));
  return p;
}

// Talvik's legal move that Fathom's move stands for.
Move talvikMove(TbMove move, const MoveEntry* legal, int count) {
  const int from = TB_MOVE_FROM(move), to = TB_MOVE_TO(move);
  const int promotes = TB_MOVE_PROMOTES(move);
  // Fathom counts promotions queen 1 .. knight 4.
  const int promotion = promotes == TB_PROMOTES_NONE ? NoPiece : Queen + 1 - promotes;
  for (int i = 0; i < count; ++i) {
    const Move m = legal[i].move;
    if (moveFrom(m) == from && moveTo(m) == to && movePromotion(m) == promotion) return m;
  }
  return NoMove;
}

}  // namespace

TableSet openTables(const std::string& path) {
  // Fathom frees the previous set itself; its tb_free leaves pointers behind
  // that the next tb_init would write through, so it is never called.
  TableSet set;
  if (path.empty() || path == "<empty>") {
    talvik_fathom_close();
    return set;
  }
  if (!tb_init(path.c_str())) return set;
  set.wdlCount = talvik_fathom_wdl_count();
  set.dtzCount = talvik_fathom_dtz_count();
  set.largest = static_cast<int>(TB_LARGEST);
  return set;
}

int largestTable() { return static_cast<int>(TB_LARGEST); }

bool tablesCoverRoot(const Board& board, int pieceLimit) {
  const int pieces = popCount(board.occupied);
  return board.castleRights == 0 && pieces <= pieceLimit && pieces <= largestTable();
}

bool reachablePosition(const Board& board) {
  const Bitboard pawns = board.pieces(Pawn, White) | board.pieces(Pawn, Black);
  if (pawns & 0xFF000000000000FFULL) return false;
  if (popCount(board.pieces(King, White)) != 1 || popCount(board.pieces(King, Black)) != 1) return false;
  const int them = static_cast<int>(board.sideToMove) ^ 1;
  return !isSquareAttacked(board, board.kingSquare[them], them ^ 1);
}

bool probeWdl(const Board& board, TableResult& result) {
  const FathomPosition p = fathomPosition(board);
  const unsigned wdl = tb_probe_wdl(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns,
                                    p.rule50, board.castleRights, p.ep, p.whiteToMove);
  if (wdl == TB_RESULT_FAILED) return false;
  result = static_cast<TableResult>(wdl);
  return true;
}

int rankRootMoves(const Board& board, bool hasRepeated, bool useRule50, RankedMove* ranked) {
  const FathomPosition p = fathomPosition(board);
  static thread_local TbRootMoves results;  // about 100 KB: not on the stack
  int ok = tb_probe_root_dtz(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns, p.rule50,
                             board.castleRights, p.ep, p.whiteToMove, hasRepeated, useRule50, &results);
  if (!ok)
    ok = tb_probe_root_wdl(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns, p.rule50,
                           board.castleRights, p.ep, p.whiteToMove, useRule50, &results);
  if (!ok) return 0;
  MoveList legal;
  const int count = generateLegal(board, legal.entries, sideToMoveInCheck(board));
  if (static_cast<int>(results.size) != count) return 0;
  for (int i = 0; i < count; ++i) {
    ranked[i].move = talvikMove(results.moves[i].move, legal.entries, count);
    ranked[i].rank = results.moves[i].tbRank;
    if (ranked[i].move == NoMove) return 0;
  }
  return count;
}

TableResult rankResult(int rank, bool useRule50) {
  const int bound = useRule50 ? FiftyMoveBound : 1;
  if (rank >= bound) return TableWin;
  if (rank > 0) return TableCursedWin;
  if (rank == 0) return TableDraw;
  if (rank > -bound) return TableBlessedLoss;
  return TableLoss;
}

}  // namespace talvik
