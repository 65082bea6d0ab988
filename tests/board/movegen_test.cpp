#include "board/movegen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "board/makemove.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

using test::boardFromFen;
using test::moveTexts;
using test::movesOf;
using Texts = std::vector<std::string>;

std::vector<Move> captures(const Board& b) {
  MoveList list;
  return movesOf(list.entries, generateCaptures(b, list.entries));
}
std::vector<Move> quiets(const Board& b) {
  MoveList list;
  return movesOf(list.entries, generateQuiets(b, list.entries));
}
std::vector<Move> evasions(const Board& b, bool queenOnly = false) {
  MoveList list;
  const int n = queenOnly ? generateEvasionsQueenOnly(b, list.entries) : generateEvasions(b, list.entries);
  return movesOf(list.entries, n);
}
std::vector<Move> pseudoLegal(const Board& b) {
  MoveList list;
  return movesOf(list.entries, generatePseudoLegal(b, list.entries, sideToMoveInCheck(b)));
}
bool contains(const std::vector<Move>& moves, Move m) { return std::find(moves.begin(), moves.end(), m) != moves.end(); }

// Positions for the generator-wide checks: every reference position and every
// position two plies below it.
const std::vector<Board>& treePositions() {
  static const std::vector<Board> positions = [] {
    std::vector<Board> list;
    for (const auto& ref : test::perftReferences()) {
      const Board root = boardFromFen(ref.fen);
      list.push_back(root);
      for (Move m1 : test::legalMoves(root)) {
        Board child = root;
        UndoRecord undo;
        makeMove(child, m1, undo);
        list.push_back(child);
        for (Move m2 : test::legalMoves(child)) {
          Board grandchild = child;
          makeMove(grandchild, m2, undo);
          list.push_back(grandchild);
        }
      }
    }
    return list;
  }();
  return positions;
}

TEST(GenerateMoves, StartPositionOrder) {
  Board b;
  setupStartPosition(b);
  EXPECT_TRUE(captures(b).empty());
  const Texts expected = {"b1a3", "b1c3", "g1f3", "g1h3", "a2a3", "b2b3", "c2c3", "d2d3", "e2e3", "f2f3",
                          "g2g3", "h2h3", "a2a4", "b2b4", "c2c4", "d2d4", "e2e4", "f2f4", "g2g4", "h2h4"};
  EXPECT_EQ(moveTexts(quiets(b)), expected);
}

TEST(GenerateMoves, CaptureOrder) {
  // Pieces by type (knight first), each by ascending target; then pawn
  // captures towards the a-file before those towards the h-file.
  const Board b = boardFromFen("4k3/8/8/2pnp3/1P1Pp3/2N5/8/4K3 w - - 0 1");
  EXPECT_EQ(moveTexts(captures(b)), (Texts{"c3e4", "c3d5", "d4c5", "b4c5", "d4e5"}));
}

TEST(GenerateMoves, PromotionsQueenRookKnightBishopCapturesFirst) {
  const Board b = boardFromFen("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(moveTexts(captures(b)),
            (Texts{"b7a8q", "b7a8r", "b7a8n", "b7a8b", "b7b8q", "b7b8r", "b7b8n", "b7b8b"}));
  for (Move m : quiets(b)) EXPECT_NE(movePiece(m), Pawn);
}

TEST(GenerateMoves, DoubleCheckAllowsOnlyKingMoves) {
  // Rook e8 and knight d3 both check the king on e1; the white rook on a3
  // could take the knight and the queen could block, but neither helps.
  const Board b = boardFromFen("4r2k/8/8/8/8/R2n4/8/Q3K3 w - - 0 1");
  const std::vector<Move> moves = evasions(b);
  ASSERT_FALSE(moves.empty());
  for (Move m : moves) EXPECT_EQ(movePiece(m), King) << moveTexts({m})[0];
  // King steps stay off the rook's file, behind the king too.
  EXPECT_FALSE(contains(moves, encodeMove(4, 12, King)));
}

TEST(GenerateMoves, KnightCheckCanOnlyBeMetByCapture) {
  // Knight f3 checks; the rook on a3 and the bishop on d1 can take it, and
  // nothing can block a knight.
  const Board b = boardFromFen("4k3/8/8/8/8/R4n2/8/3BK3 w - - 0 1");
  const std::vector<Move> moves = evasions(b);
  Texts nonKing;
  for (Move m : moves)
    if (movePiece(m) != King) nonKing.push_back(moveTexts({m})[0]);
  EXPECT_EQ(nonKing, (Texts{"d1f3", "a3f3"}));
}

TEST(GenerateMoves, BlocksAndCapturesAgainstASlider) {
  // Bishop b4 checks along b4-c3-d2: king steps off the line first, then
  // knight b1 blocks on d2 or c3, rook a4 takes, pawn c2 blocks on c3.
  const Board b = boardFromFen("4k3/8/8/8/Rb6/8/2P5/1N2K3 w - - 0 1");
  EXPECT_EQ(moveTexts(evasions(b)), (Texts{"e1d1", "e1f1", "e1e2", "e1f2", "b1d2", "b1c3", "a4b4", "c2c3"}));
  // Rook c8 checks down the c-file; b7 takes it promoting, and the
  // queen-only twin keeps just the queen.
  const Board promo = boardFromFen("2r1k3/1P6/8/8/8/8/8/2K5 w - - 0 1");
  EXPECT_EQ(moveTexts(evasions(promo)),
            (Texts{"c1b1", "c1d1", "c1b2", "c1d2", "b7c8q", "b7c8r", "b7c8n", "b7c8b"}));
  EXPECT_EQ(moveTexts(evasions(promo, true)), (Texts{"c1b1", "c1d1", "c1b2", "c1d2", "b7c8q"}));
}

TEST(GenerateMoves, EnPassant) {
  // Generated while the pawn that advanced two squares is there.
  const Board b = boardFromFen("4k3/8/8/2PpP3/8/8/8/4K3 w - d6 0 1");
  Texts expected = {"c5d6", "e5d6"};
  EXPECT_EQ(moveTexts(captures(b)), expected);
  for (Move m : captures(b)) {
    EXPECT_TRUE(isEnPassant(m));
    EXPECT_EQ(moveCaptured(m), Pawn);
  }
  // As an evasion only when the pushed pawn is the checker.
  const Board checkedByPawn = boardFromFen("8/8/8/3pP3/4K3/8/8/7k w - d6 0 1");
  EXPECT_TRUE(contains(evasions(checkedByPawn), encodeMove(36, 43, Pawn, Pawn, NoPiece, EnPassantFlag)));
  const Board checkedByRook = boardFromFen("4k3/8/8/3pP3/8/8/8/r3K3 w - d6 0 1");
  for (Move m : evasions(checkedByRook)) EXPECT_FALSE(isEnPassant(m));
  // Black takes towards rank 3.
  const Board black = boardFromFen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1");
  EXPECT_EQ(moveTexts(captures(black)), (Texts{"e4d3"}));
}

TEST(GenerateMoves, Chess960Castling) {
  const Move shortCastle = encodeMove(5, 6, King, NoPiece, NoPiece, CastleFlag);  // king f1 takes rook g1
  // King f1, rook g1: castling goes to g1 when g1 is safe.
  EXPECT_TRUE(contains(quiets(boardFromFen("4k3/8/8/8/8/8/8/5KR1 w K - 0 1")), shortCastle));
  EXPECT_FALSE(contains(quiets(boardFromFen("4k1r1/8/8/8/8/8/8/5KR1 w K - 0 1")), shortCastle));
  // King b1, rook a1: c1 is not tested before the move; the legal list drops
  // the castling when c1 is attacked.
  const Move longCastle = encodeMove(1, 0, King, NoPiece, NoPiece, CastleFlag);
  const Board safe = boardFromFen("4k3/8/8/8/8/8/8/RK6 w Q - 0 1");
  const Board c1Attacked = boardFromFen("4k3/8/8/8/8/4b3/8/RK6 w Q - 0 1");
  EXPECT_TRUE(contains(quiets(safe), longCastle));
  EXPECT_TRUE(contains(test::legalMoves(safe), longCastle));
  EXPECT_TRUE(contains(quiets(c1Attacked), longCastle));
  EXPECT_TRUE(isPseudoLegal(c1Attacked, longCastle));
  EXPECT_FALSE(contains(test::legalMoves(c1Attacked), longCastle));
  // No castling out of check, across an attacked square or through a piece.
  const struct {
    const char* fen;
    int expected;
  } cases[] = {
      {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", 2},
      {"4k3/8/8/8/8/8/8/R3K2R w - - 0 1", 0},
      {"4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1", 0},   // in check
      {"4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1", 1},   // f1 attacked: only the long castling
      {"4k3/8/8/8/8/8/1r6/R3K2R w KQ - 0 1", 2},   // b1 is crossed by the rook only
      {"4k3/8/8/8/8/8/8/RN2K1NR w KQ - 0 1", 0},   // pieces in the way
      {"4k3/8/8/8/8/8/8/4K3 w KQ - 0 1", 0},       // rights without rooks were dropped
      {"4k3/8/8/8/8/8/8/2R1KR2 w KQ - 0 1", 2},    // inner rooks serve when they are the outermost
  };
  for (const auto& c : cases) {
    int castles = 0;
    for (Move m : pseudoLegal(boardFromFen(c.fen))) castles += isCastle(m);
    EXPECT_EQ(castles, c.expected) << c.fen;
  }
}

// Every move of every generator is accepted by the validity test.
TEST(IsPseudoLegal, AcceptsEveryGeneratedMove) {
  for (const Board& b : treePositions()) {
    std::vector<Move> all = captures(b);
    for (Move m : quiets(b)) all.push_back(m);
    if (sideToMoveInCheck(b)) {
      for (Move m : evasions(b)) ASSERT_TRUE(contains(all, m)) << moveTexts({m})[0];
    }
    for (Move m : all) ASSERT_TRUE(isPseudoLegal(b, m)) << moveTexts({m})[0];
  }
}

// Hash moves and text input bring arbitrary words: a word passes exactly when
// the generators could have produced it in the position.
TEST(IsPseudoLegal, AcceptsExactlyTheGeneratedWords) {
  std::mt19937 rng(4242);
  std::vector<Move> foreign;  // moves of earlier positions
  int accepted = 0, checked = 0;
  for (const Board& b : treePositions()) {
    std::vector<Move> all = captures(b);
    for (Move m : quiets(b)) all.push_back(m);
    const std::set<Move> generated(all.begin(), all.end());
    std::vector<Move> words = foreign;
    for (int i = 0; i < 64; ++i) words.push_back(rng());            // any 32 bits
    for (int i = 0; i < 64; ++i) words.push_back(rng() & 0x7FFFFF);  // only the defined fields
    for (Move m : all) {  // near misses: one field changed
      words.push_back(m ^ (1u << (rng() % 23)));
    }
    for (Move w : words) {
      const bool expected = generated.count(w) != 0;
      ASSERT_EQ(isPseudoLegal(b, w), expected) << std::hex << w;
      accepted += expected;
      ++checked;
    }
    if (foreign.size() > 200) foreign.erase(foreign.begin(), foreign.begin() + 100);
    foreign.insert(foreign.end(), all.begin(), all.end());
  }
  EXPECT_GT(accepted, 10000);
  EXPECT_GT(checked, 1000000);
}

// generateLegal filters by make/test/unmake and keeps the order.
TEST(GenerateLegal, KeepsThePseudoLegalOrder) {
  for (const Board& b : treePositions()) {
    const std::vector<Move> pseudo = pseudoLegal(b);
    std::vector<Move> expected;
    for (Move m : pseudo) {
      Board after = b;
      UndoRecord undo;
      makeMove(after, m, undo);
      if (!isSquareAttacked(after, after.kingSquare[b.sideToMove], b.sideToMove ^ 1)) expected.push_back(m);
    }
    ASSERT_EQ(test::legalMoves(b), expected);
  }
}

TEST(PinnedPieces, OnlyTheSoleBlockerOfASliderLine) {
  struct Case {
    const char* fen;
    Bitboard pinned;
  };
  const Case cases[] = {
      {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", squareMask[12]},                  // e2 on the rook's file
      {"4k3/4r3/8/8/8/4N3/4B3/4K3 w - - 0 1", 0},                              // two blockers
      {"4k3/4r3/8/8/8/8/4p3/4K3 w - - 0 1", 0},                                // the blocker is Black's
      {"4k3/8/8/b7/8/8/3P4/4K3 w - - 0 1", squareMask[11]},                    // d2 on the bishop's diagonal
      {"4k3/8/8/r7/8/8/3P4/4K3 w - - 0 1", 0},                                 // a rook does not pin diagonally
      {"q3k3/1P6/8/8/8/8/8/7K w - - 0 1", squareMask[49]},                     // the long diagonal
      {"q3k3/1P6/8/8/8/8/8/6K1 w - - 0 1", 0},                                 // no line to the king
      {"4k3/8/8/8/8/8/8/q2BK2r w - - 0 1", squareMask[3]},
  };
  for (const Case& c : cases) EXPECT_EQ(pinnedPieces(boardFromFen(c.fen)), c.pinned) << c.fen;
}

// The perft recursion skips the attack test for some moves; each of those
// must really be legal.
TEST(NeedsKingTest, SkippedOnlyForLegalMoves) {
  int skipped = 0;
  for (const Board& b : treePositions()) {
    const bool inCheck = sideToMoveInCheck(b);
    const Bitboard testSquares = kingTestSquares(b, inCheck);
    for (Move m : pseudoLegal(b)) {
      if (needsKingTest(m, testSquares)) continue;
      ++skipped;
      Board after = b;
      UndoRecord undo;
      makeMove(after, m, undo);
      ASSERT_FALSE(isSquareAttacked(after, after.kingSquare[b.sideToMove], b.sideToMove ^ 1))
          << test::moveTexts({m})[0];
    }
  }
  EXPECT_GT(skipped, 100000);
}

TEST(GenerateEvasions, QueenOnlyDropsUnderPromotions) {
  for (const Board& b : treePositions()) {
    if (!sideToMoveInCheck(b)) continue;
    std::vector<Move> expected;
    for (Move m : evasions(b))
      if (movePromotion(m) == NoPiece || movePromotion(m) == Queen) expected.push_back(m);
    ASSERT_EQ(evasions(b, true), expected);
  }
}

}  // namespace
}  // namespace talvik
