#include "eval/kpk_bitbase.h"

#include <gtest/gtest.h>

#include <vector>

#include "board/makemove.h"
#include "board/movegen.h"
#include "eval/eval_masks.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

constexpr int IndexCount = 1 << 18;
// Move results that leave king and pawn against king.
constexpr int ResultDraw = -1, ResultWin = -2;

struct Decoded {
  int whiteToMove;
  Square whiteKing, blackKing, pawn;
};
Decoded decode(int index) {
  const int pawnCode = (index >> 12) & 31;
  return {index >> 17, (index >> 6) & 63, index & 63, makeSquare(pawnCode & 3, pawnCode >> 2)};
}

bool tableBit(int index) {
  const Decoded d = decode(index);
  return kpkProbe(d.whiteToMove, d.whiteKing, d.blackKing, d.pawn) != 0;
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

  KpkGraph() : legal(IndexCount), inCheck(IndexCount), firstChild(IndexCount + 1) {
    initBitboardTables();
    for (int index = 0; index < IndexCount; ++index) {
      firstChild[index] = static_cast<int>(children.size());
      const Decoded d = decode(index);
      if (rankOf(d.pawn) == 0 || rankOf(d.pawn) == 7 || d.whiteKing == d.blackKing || d.whiteKing == d.pawn ||
          d.blackKing == d.pawn || kingDistance(d.whiteKing, d.blackKing) < 2)
        continue;
      std::int8_t mailbox[64] = {};
      mailbox[d.whiteKing] = King;
      mailbox[d.blackKing] = -King;
      mailbox[d.pawn] = Pawn;
      Board board;
      setupBoard(board, mailbox, d.whiteToMove ? White : Black, 0, 0, 0);
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
    firstChild[IndexCount] = static_cast<int>(children.size());
  }

  // Whether `index` is a win for White when the positions in `won` are.
  template <typename Won>
  bool winsGiven(int index, Won won) const {
    const int first = firstChild[index], last = firstChild[index + 1];
    if (first == last) return decode(index).whiteToMove == 0 && inCheck[index];  // mate, else stalemate
    auto childWins = [&](int child) { return child == ResultWin || (child >= 0 && won(child)); };
    bool any = false, all = true;
    for (int i = first; i < last; ++i) {
      if (childWins(children[i]))
        any = true;
      else
        all = false;
    }
    return decode(index).whiteToMove ? any : all;
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
  for (int index = 0; index < IndexCount; ++index) {
    const bool expected = graph().legal[index] && graph().winsGiven(index, tableBit);
    if (expected != tableBit(index) && mismatches++ == 0) firstMismatch = index;
  }
  EXPECT_EQ(mismatches, 0) << "first at index " << firstMismatch;
}

// Agreeing with its moves is not enough: positions that shuffle for ever
// could call each other won. The real wins are those reached by working
// backwards from promotions and mates, and they must be exactly the table's.
TEST(KpkBitbaseTest, WinsAreExactlyTheForcedOnes) {
  std::vector<std::uint8_t> forced(IndexCount, 0);
  auto isForced = [&](int index) { return forced[index] != 0; };
  for (bool changed = true; changed;) {
    changed = false;
    for (int index = 0; index < IndexCount; ++index) {
      if (forced[index] || !graph().legal[index] || !graph().winsGiven(index, isForced)) continue;
      forced[index] = 1;
      changed = true;
    }
  }
  int wins = 0, mismatches = 0;
  for (int index = 0; index < IndexCount; ++index) {
    wins += forced[index];
    mismatches += forced[index] != tableBit(index);
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(wins, IndexCount / 4);
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
