#include "search/pv_continuation.h"

#include <algorithm>

#include "board/makemove.h"
#include "board/movegen.h"
#include "search/transposition_table.h"

namespace talvik {

namespace {

bool isLegal(const Board& board, Move move) {
  MoveList list;
  const int count = generateLegal(board, list.entries, sideToMoveInCheck(board));
  return std::any_of(list.entries, list.entries + count, [move](const MoveEntry& e) { return e.move == move; });
}

}  // namespace

int continueLine(const TransTable& table, const Board& root, Move* moves, int length, int plies) {
  plies = std::min(plies, MaxPly);
  Board board = root;
  std::uint64_t keys[MaxPly + 1];
  keys[0] = board.hashKey;
  int count = 0;
  const auto play = [&](Move move, bool fromTable) {
    if (!isLegal(board, move)) return false;
    UndoRecord undo;
    makeMove(board, move, undo);
    // The search's own line may end in a repetition it scored as a draw;
    // the table's moves stop before one.
    if (fromTable && std::find(keys, keys + count + 1, board.hashKey) != keys + count + 1) return false;
    keys[++count] = board.hashKey;
    return true;
  };
  // A line the search reported should always be legal; a move that is not
  // ends it rather than being shown.
  length = std::min(length, MaxPly);
  for (int i = 0; i < length; ++i)
    if (!play(moves[i], false)) return i;
  while (count < plies) {
    Move move = NoMove;
    int depth = 0;
    if (!table.peek(board.hashKey, move, depth) || move == NoMove) break;
    if (depth < OnePly) break;  // no search stands behind the move
    if (!play(move, true)) break;
    moves[count - 1] = move;
  }
  return count;
}

}  // namespace talvik
