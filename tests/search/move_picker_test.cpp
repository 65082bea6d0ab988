#include "search/move_picker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "board/move_text.h"
#include "board/movegen.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

struct Picked {
  Move move;
  int stage;
};

std::vector<Picked> pickAll(const Board& board, Move hash, Move killer1, Move killer2, Move counter,
                            const HistoryTable& history) {
  MovePicker picker;
  initPicker(picker, sideToMoveInCheck(board), hash, killer1, killer2, counter, history);
  std::vector<Picked> picked;
  Move move = NoMove;
  int stage;
  while ((stage = nextMove(picker, board, move)) != PickerDone) picked.push_back({move, stage});
  return picked;
}

std::vector<Move> pseudoLegalMoves(const Board& board) {
  MoveList list;
  const int count = generatePseudoLegal(board, list.entries, sideToMoveInCheck(board));
  std::vector<Move> moves;
  for (int i = 0; i < count; ++i) moves.push_back(list.entries[i].move);
  return moves;
}

Move findMove(const Board& board, const std::string& text) {
  for (const Move m : pseudoLegalMoves(board))
    if (moveToCoordinate(m, false) == text) return m;
  ADD_FAILURE() << "no move " << text;
  return NoMove;
}

int positionOf(const std::vector<Picked>& picked, Move move) {
  for (std::size_t i = 0; i < picked.size(); ++i)
    if (picked[i].move == move) return static_cast<int>(i);
  return -1;
}

const HistoryTable& emptyHistory() {
  static HistoryTable history{};
  return history;
}

TEST(MvvLva, MostValuableVictimThenLeastValuableAttacker) {
  EXPECT_EQ(mvvLva[Queen][Pawn], 575);
  EXPECT_EQ(mvvLva[Queen][Queen], 567);
  EXPECT_EQ(mvvLva[Rook][Queen], 311);
  EXPECT_EQ(mvvLva[Pawn][King], 32);
  EXPECT_EQ(mvvLva[King][King], 2016);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(mvvLva[0][i], 0);
    EXPECT_EQ(mvvLva[7][i], 0);
    EXPECT_EQ(mvvLva[i][0], 0);
    EXPECT_EQ(mvvLva[i][7], 0);
  }
}

// Whatever hash move, killers and counter move it is given (valid, invalid
// here, or equal to each other), the picker hands out every pseudo-legal
// move exactly once and nothing else.
TEST(MovePicker, ReturnsEveryPseudoLegalMoveExactlyOnce) {
  int checked = 0;
  const Move foreign = encodeMove(makeSquare(4, 3), makeSquare(4, 4), Knight);  // no knight on e4 anywhere below
  std::vector<std::string> fens = {"4r1k1/8/8/8/B7/5N2/8/4K3 w - - 0 1"};  // in check
  for (const auto& ref : test::perftReferences()) fens.push_back(ref.fen);
  for (const auto& fen : fens) {
    const Board board = test::boardFromFen(fen);
    std::vector<Move> expected = pseudoLegalMoves(board);
    if (expected.empty()) continue;
    std::vector<Move> quiets;
    for (const Move m : expected)
      if (!isCapture(m) && !isPromotion(m)) quiets.push_back(m);
    const Move someQuiet = quiets.empty() ? expected.front() : quiets.front();
    const Move lastQuiet = quiets.empty() ? expected.back() : quiets.back();
    const Move choices[][4] = {
        {NoMove, NoMove, NoMove, NoMove},
        {expected.front(), someQuiet, lastQuiet, someQuiet},
        {someQuiet, someQuiet, someQuiet, someQuiet},  // killers equal to the hash move
        {foreign, foreign, lastQuiet, foreign},        // words from another position
        {expected.back(), lastQuiet, foreign, expected.back()},
    };
    std::sort(expected.begin(), expected.end());
    for (const auto& c : choices) {
      std::vector<Move> got;
      for (const Picked& p : pickAll(board, c[0], c[1], c[2], c[3], emptyHistory())) got.push_back(p.move);
      std::sort(got.begin(), got.end());
      EXPECT_EQ(got, expected) << fen;
      ++checked;
    }
  }
  EXPECT_GT(checked, 50);
}

TEST(MovePicker, HashMoveFirstThenPawnTakesQueen) {
  const Board board = test::boardFromFen("4k3/8/8/3q4/4P3/8/8/3RK3 w - - 0 1");
  const Move hash = findMove(board, "e1f1");
  const auto picked = pickAll(board, hash, NoMove, NoMove, NoMove, emptyHistory());
  ASSERT_GE(picked.size(), 3u);
  EXPECT_EQ(picked[0].move, hash);
  EXPECT_EQ(picked[0].stage, HashMoveStage);
  EXPECT_EQ(moveToCoordinate(picked[1].move, false), "e4d5");
  EXPECT_EQ(captureScore(picked[1].move), 50575);
  EXPECT_EQ(moveToCoordinate(picked[2].move, false), "d1d5");
  EXPECT_EQ(positionOf(picked, hash), 0);  // and never again
}

TEST(MovePicker, LosingCaptureComesAfterAllQuietMoves) {
  // Nxd5 wins a pawn defended by a pawn: a losing capture.
  const Board board = test::boardFromFen("4k3/8/2p5/3p4/8/4N3/8/4K3 w - - 0 1");
  const auto picked = pickAll(board, NoMove, NoMove, NoMove, NoMove, emptyHistory());
  const int losing = positionOf(picked, findMove(board, "e3d5"));
  ASSERT_EQ(losing, static_cast<int>(picked.size()) - 1);
  EXPECT_EQ(picked[losing].stage, LosingCapturesStage);
  for (int i = 0; i < losing; ++i) EXPECT_EQ(picked[i].stage, QuietStage) << moveToCoordinate(picked[i].move, false);
}

TEST(MovePicker, KillersAndCounterMoveComeBeforeOtherQuietMoves) {
  const Board board = test::boardFromFen("r3k3/8/8/8/8/8/1P6/R3K1N1 w Qq - 0 1");
  const Move killer1 = findMove(board, "g1h3"), killer2 = findMove(board, "b2b3"), counter = findMove(board, "e1d2");
  const auto picked = pickAll(board, NoMove, killer1, killer2, counter, emptyHistory());
  ASSERT_GE(picked.size(), 5u);
  EXPECT_EQ(moveToCoordinate(picked[0].move, false), "a1a8");  // the capture
  EXPECT_EQ(picked[1].move, killer1);
  EXPECT_EQ(picked[2].move, killer2);
  EXPECT_EQ(picked[3].move, counter);
  EXPECT_EQ(picked[3].stage, CounterMoveStage);
}

TEST(MovePicker, QuietMovesFollowTheirHistory) {
  const Board board = test::boardFromFen("4k3/8/8/8/8/8/P7/4K1N1 w - - 0 1");
  static HistoryTable history{};
  const Move favourite = findMove(board, "a2a4");
  history[historyIndex(White, Pawn)][moveTo(favourite)] = 500;
  history[historyIndex(White, Knight)][makeSquare(5, 2)] = 200;  // g1f3
  const auto picked = pickAll(board, NoMove, NoMove, NoMove, NoMove, history);
  ASSERT_GE(picked.size(), 2u);
  EXPECT_EQ(picked[0].move, favourite);
  EXPECT_EQ(moveToCoordinate(picked[1].move, false), "g1f3");
}

TEST(MovePicker, EvasionsPutKillersBetweenCapturesAndOtherMoves) {
  // The rook on e8 checks; Bxe8 takes it, Ne5 blocks, the king can step aside.
  const Board board = test::boardFromFen("4r1k1/8/8/8/B7/5N2/8/4K3 w - - 0 1");
  const Move killer1 = findMove(board, "e1d2"), killer2 = findMove(board, "f3e5");
  const auto picked = pickAll(board, NoMove, killer1, killer2, NoMove, emptyHistory());
  ASSERT_GE(picked.size(), 4u);
  EXPECT_EQ(moveToCoordinate(picked[0].move, false), "a4e8");
  EXPECT_EQ(picked[1].move, killer1);
  EXPECT_EQ(picked[2].move, killer2);
  for (const Picked& p : picked) EXPECT_EQ(p.stage, EvasionStage);
}

}  // namespace
}  // namespace talvik
