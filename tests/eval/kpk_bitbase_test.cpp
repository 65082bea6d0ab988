#include "eval/kpk_bitbase.h"

#include <gtest/gtest.h>

#include <vector>

#include "board/makemove.h"
#include "board/movegen.h"
#include "eval/eval_masks.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

// Move results that leave king and pawn against king.
constexpr int ResultDraw = -1, ResultWin = -2;

// The strong side is White throughout.
bool tableBit(int index) {
  const KpkPosition d = kpkDecode(index);
  return kpkProbe(d.strongToMove, d.strongKing, d.weakKing, d.pawn) != 0;
}

// A promotion to a queen or rook wins unless Black takes the new piece or is
// stalemated; any other promotion leaves too little to mate.
int promotionResult(const Board& after, int promoted) {
  if (promoted != Queen && promoted != Rook) return ResultDraw;
  MoveList replies;
  const bool inCheck = sideToMoveInCheck(after);
  const int count = generateLegal(after, replies.entries, inCheck);
  if (count == 0) return inCheck ? ResultWin : ResultDraw;
  for (int i = 0; i < count; ++i)
    if (isCapture(replies.entries[i].move)) return ResultDraw;
  return ResultWin;
}

// The game tree of every legal position, built with the engine's own move
// generator: per position the index or result reached by each legal move.
struct KpkGraph {
  std::vector<std::uint8_t> legal, inCheck;
  std::vector<int> firstChild, children;

  KpkGraph() : legal(KpkIndexCount), inCheck(KpkIndexCount), firstChild(KpkIndexCount + 1) {
    initBitboardTables();
    for (int index = 0; index < KpkIndexCount; ++index) {
      firstChild[index] = static_cast<int>(children.size());
      const KpkPosition d = kpkDecode(index);
      if (rankOf(d.pawn) == 0 || rankOf(d.pawn) == 7 || d.strongKing == d.weakKing || d.strongKing == d.pawn ||
          d.weakKing == d.pawn || kingDistance(d.strongKing, d.weakKing) < 2)
        continue;
      std::int8_t mailbox[64] = {};
      mailbox[d.strongKing] = King;
      mailbox[d.weakKing] = -King;
      mailbox[d.pawn] = Pawn;
      Board board;
      setupBoard(board, mailbox, d.strongToMove ? White : Black, 0, 0, 0);
      const int mover = static_cast<int>(board.sideToMove);
      if (isSquareAttacked(board, board.kingSquare[mover ^ 1], mover)) continue;
      legal[index] = 1;
      inCheck[index] = sideToMoveInCheck(board);
      MoveList moves;
      const int count = generateLegal(board, moves.entries, inCheck[index]);
      for (int i = 0; i < count; ++i) {
        Board after = board;
        UndoRecord undo;
        makeMove(after, moves.entries[i].move, undo);
        const Bitboard pawns = after.pieces(Pawn, White);
        if (!pawns)
          children.push_back(isPromotion(moves.entries[i].move)
                                 ? promotionResult(after, movePromotion(moves.entries[i].move))
                                 : ResultDraw);
        else
          children.push_back(kpkIndex(after.sideToMove == White, after.kingSquare[White], after.kingSquare[Black],
                                      lowestSquare(pawns)));
      }
    }
    firstChild[KpkIndexCount] = static_cast<int>(children.size());
  }

  // Whether `index` is a win for White when the positions in `won` are.
  template <typename Won>
  bool winsGiven(int index, Won won) const {
    const int first = firstChild[index], last = firstChild[index + 1];
    if (first == last) return kpkDecode(index).strongToMove == 0 && inCheck[index];  // mate, else stalemate
    auto childWins = [&](int child) { return child == ResultWin || (child >= 0 && won(child)); };
    bool any = false, all = true;
    for (int i = first; i < last; ++i) {
      if (childWins(children[i]))
        any = true;
      else
        all = false;
    }
    return kpkDecode(index).strongToMove ? any : all;
  }
};

const KpkGraph& graph() {
  static const KpkGraph instance;
  return instance;
}

// A win with White to move has a move to a win; with Black to move every
// reply leads to a win; draws the other way round. Impossible positions are 0.
TEST(KpkBitbaseTest, EveryPositionAgreesWithItsMoves) {
  int mismatches = 0, firstMismatch = -1;
  for (int index = 0; index < KpkIndexCount; ++index) {
    const bool expected = graph().legal[index] && graph().winsGiven(index, tableBit);
    if (expected != tableBit(index) && mismatches++ == 0) firstMismatch = index;
  }
  EXPECT_EQ(mismatches, 0) << "first at index " << firstMismatch;
}

// Agreeing with its moves is not enough: positions that shuffle for ever
// could call each other won. The real wins are those reached by working
// backwards from promotions and mates, and they must be exactly the table's.
TEST(KpkBitbaseTest, WinsAreExactlyTheForcedOnes) {
  std::vector<std::uint8_t> forced(KpkIndexCount, 0);
  auto isForced = [&](int index) { return forced[index] != 0; };
  for (bool changed = true; changed;) {
    changed = false;
    for (int index = 0; index < KpkIndexCount; ++index) {
      if (forced[index] || !graph().legal[index] || !graph().winsGiven(index, isForced)) continue;
      forced[index] = 1;
      changed = true;
    }
  }
  int wins = 0, mismatches = 0;
  for (int index = 0; index < KpkIndexCount; ++index) {
    wins += forced[index];
    mismatches += forced[index] != tableBit(index);
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(wins, KpkIndexCount / 4);
}

TEST(KpkBitbaseTest, TextbookPositions) {
  auto sq = [](const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); };
  struct Case {
    const char* what;
    int strongToMove;
    const char *strongKing, *weakKing, *pawn;
    int wins;
  };
  const Case cases[] = {
      {"defender has the opposition", 1, "e5", "e7", "e4", 0},
      {"attacker has the opposition", 0, "e5", "e7", "e4", 1},
      {"king two squares in front", 1, "e6", "e8", "e4", 1},
      {"king on a key square", 0, "c6", "d8", "d4", 1},
      {"mirrored files", 0, "f6", "e8", "e4", 1},
      {"rook pawn, defender in the corner", 1, "c6", "a8", "a5", 0},
      {"rook pawn, attacker cuts the king off", 1, "b7", "d7", "a5", 1},
      {"pawn falls", 0, "h1", "d5", "d4", 0},
      {"pawn outruns the king", 1, "h1", "h4", "b5", 1},
      {"king too far behind", 1, "a1", "e6", "d4", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kpkProbe(c.strongToMove, sq(c.strongKing), sq(c.weakKing), sq(c.pawn)), c.wins) << c.what;
}

}  // namespace
}  // namespace talvik
