#include "search/gives_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

// Against playing the (legal) move: direct checks, discovered checks, castling
// rooks, Chess960 castling, in every reference position and the positions
// one quiet move later.
TEST(GivesCheck, AgreesWithPlayingTheMove) {
  const char* const extra[] = {
      "4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1",
      "3k4/8/8/8/8/8/8/R3K2R w KQ - 0 1",             // O-O-O: the rook lands on d1 and checks
      "5k2/8/8/8/8/8/8/R3K2R w KQ - 0 1",             // O-O: the rook lands on f1 and checks
      "4k3/8/8/8/4N3/8/8/4R1K1 w - - 0 1",            // the knight uncovers the rook
      "4k3/8/8/1B6/8/8/4P3/6K1 w - - 0 1",
      "k7/8/8/3P4/8/8/8/Q3K3 w - - 0 1",
  };
  std::vector<std::string> fens(std::begin(extra), std::end(extra));
  for (const auto& ref : test::perftReferences()) fens.push_back(ref.fen);
  int checked = 0;
  for (const auto& fen : fens) {
    const Board start = test::boardFromFen(fen);
    MoveList firstMoves;
    const int firstCount = generateLegal(start, firstMoves.entries, sideToMoveInCheck(start));
    for (int f = -1; f < firstCount; ++f) {
      Board board = start;
      UndoRecord undo;
      if (f >= 0) makeMove(board, firstMoves.entries[f].move, undo);
      if (sideToMoveInCheck(board)) continue;
      MoveList quiets;
      const int count = generateQuiets(board, quiets.entries);
      const int us = static_cast<int>(board.sideToMove);
      const CheckTargets targets = checkTargets(board);
      // The quiet moves generated onto the check targets are exactly the
      // checking quiet moves, in the generator's order, once the check test
      // has filtered both lists (the search generates them all when the
      // enemy king already stands attacked, as in one of the extra positions).
      MoveList candidates;
      const int candidateCount =
          generateQuietsOnto(board, candidates.entries, targets.direct, targets.discoverers);
      std::vector<Move> fromAll, fromCandidates;
      for (int i = 0; i < count; ++i)
        if (quietMoveGivesCheck(board, quiets.entries[i].move)) fromAll.push_back(quiets.entries[i].move);
      for (int i = 0; i < candidateCount; ++i)
        if (quietMoveGivesCheck(board, targets, candidates.entries[i].move))
          fromCandidates.push_back(candidates.entries[i].move);
      if (!targets.kingAttacked) {
        ASSERT_EQ(fromCandidates, fromAll) << boardToFen(board, 1);
      }
      for (int i = 0; i < count; ++i) {
        const Move m = quiets.entries[i].move;
        // The precomputed form answers like the full test for every
        // generated move, illegal ones included (the search asks first).
        ASSERT_EQ(quietMoveGivesCheck(board, targets, m), quietMoveGivesCheck(board, m))
            << boardToFen(board, 1) << " " << moveToCoordinate(m, true);
        Board after = board;
        makeMove(after, m, undo);
        if (isSquareAttacked(after, after.kingSquare[us], us ^ 1)) continue;  // illegal
        const bool expected = isSquareAttacked(after, after.kingSquare[us ^ 1], us);
        ASSERT_EQ(quietMoveGivesCheck(board, m), expected) << boardToFen(board, 1) << " " << moveToCoordinate(m, true);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 10000);
}

}  // namespace
}  // namespace talvik
