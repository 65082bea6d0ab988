#include "eval/pawn_structure.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <random>

#include "board/makemove.h"
#include "eval/evaluate.h"
#include "eval/parameters.h"
#include "eval/personality_file.h"
#include "search/engine.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

Bitboard squares(std::initializer_list<const char*> names) {
  Bitboard set = 0;
  for (const char* name : names) set |= squareMask[makeSquare(name[0] - 'a', name[1] - '1')];
  return set;
}

// Scores worked out by hand with the built-in weights: doubled 10 / 20,
// isolated 10 / 15, backward 15 / 15, plus the pawns' middle-game squares.
TEST(PawnStructureTest, ScoresDoubledIsolatedBackwardAndPassedPawns) {
  Personality personality;
  installParameters(personality, false);
  struct Case {
    const char* what;
    const char* fen;
    int mid, end;
    Bitboard passedWhite, passedBlack;
  };
  const Case cases[] = {
      // c3 -1, c5 0; both isolated, the rear one doubled; only the front one passed.
      {"doubled isolated", "4k3/8/8/2P5/8/2P5/8/4K3 w - - 0 1", -31, -50, squares({"c5"}), 0},
      // d5 +10 and h7 0, both isolated passers.
      {"isolated passers", "4k3/7p/8/3P4/8/8/8/4K3 w - - 0 1", 10, 0, squares({"d5"}), squares({"h7"})},
      // a2 is backward (support only from b2 or b1, a3 hit by b4); b4 isolated.
      {"backward a2", "4k3/8/8/8/1p6/1P6/P7/4K3 w - - 0 1", -6, 0, 0, 0},
      // a3 is supported by b2; b2's advance square is not attacked; b5 isolated.
      {"supported a3", "4k3/8/8/1p6/8/P7/1P6/4K3 w - - 0 1", 10, 15, 0, 0},
      // c4 sits behind c5: doubled, not passed; c5 and d3 are passers without penalty.
      {"doubled passer", "4k3/8/8/2P5/2P5/3P4/8/4K3 w - - 0 1", -2, -20, squares({"c5", "d3"}), 0},
  };
  for (const Case& c : cases) {
    const PawnEntry entry = computePawnEntry(test::boardFromFen(c.fen));
    EXPECT_EQ(entry.scoreMid, c.mid) << c.what;
    EXPECT_EQ(entry.scoreEnd, c.end) << c.what;
    EXPECT_EQ(entry.passed[White], c.passedWhite) << c.what;
    EXPECT_EQ(entry.passed[Black], c.passedBlack) << c.what;
  }
}

// The pawn term depends on the pawns alone, so a stored entry serves every
// position with the same pawns whatever the pieces.
TEST(PawnStructureTest, PositionsWithTheSamePawnsShareOneEntry) {
  Personality personality;
  installParameters(personality, false);
  auto table = std::make_unique<PawnHashTable>();
  const Board a = test::boardFromFen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  const Board b = test::boardFromFen("rnbqkb1r/pppp1ppp/5n2/4p3/4P3/2N5/PPPP1PPP/R1BQKBNR w KQkq - 2 3");
  PawnEntry& slot = table->entries[a.pawnKey & (PawnHashTable::EntryCount - 1)];
  EXPECT_EQ(&probePawns(*table, a), &slot);
  slot.scoreMid = 12345;  // marks the stored entry: a hit must hand it back unchanged
  EXPECT_EQ(probePawns(*table, b).scoreMid, 12345);
  const Board other = test::boardFromFen("rnbqkbnr/pppp1ppp/8/4p3/3PP3/8/PPP2PPP/RNBQKBNR b KQkq - 0 2");
  EXPECT_EQ(probePawns(*table, other).scoreMid, computePawnEntry(other).scoreMid);
}

// Positions along random games from the start: many pawn structures.
std::vector<Board> randomGamePositions(int count) {
  std::mt19937 random(18);
  std::vector<Board> boards;
  Board board;
  setupStartPosition(board);
  while (static_cast<int>(boards.size()) < count) {
    const std::vector<Move> moves = test::legalMoves(board);
    if (moves.empty() || board.halfmoveClock > 60) {
      setupStartPosition(board);
      continue;
    }
    UndoRecord undo;
    makeMove(board, moves[random() % moves.size()], undo);
    boards.push_back(board);
  }
  return boards;
}

// Every thread's pawn table, filled under the old weights, must score like a
// new table after the weights change: a loaded personality, a set value, the
// personality switched off again.
TEST(PawnStructureTest, ParameterChangesReachEveryThreadsPawnTable) {
  const std::string file = ::testing::TempDir() + "talvik_pawn_weights.txt";
  std::ofstream(file) << "PawnIsolatedMid=1000\nPawnIsolatedEnd=1000\nPawnDoubledMid=300\nPawnBackwardEnd=400\n";
  Engine engine;
  engine.initialise(1);
  engine.pool.setThreadCount(3);
  Personality& personality = engine.evalContext;
  const std::vector<Board> positions = randomGamePositions(300);

  const struct {
    const char* change;
    std::function<void()> apply;
  } changes[] = {
      {"personality loaded", [&] { loadPersonality(personality, file); }},
      {"value set", [&] { setParameter(personality, "PawnValue", "130"); }},
      {"personality off", [&] { loadPersonality(personality, ""); }},
  };
  for (const auto& thread : engine.pool.threads)
    for (const Board& board : positions) evaluate(personality, test::freshSetup(board), thread->pawnHash);
  for (const auto& change : changes) {
    change.apply();
    auto fresh = std::make_unique<PawnHashTable>();
    for (std::size_t t = 0; t < engine.pool.threads.size(); ++t) {
      int differences = 0;
      for (const Board& board : positions) {
        // Set up anew: a piece value change applies to boards set up after it.
        const Board now = test::freshSetup(board);
        if (evaluate(personality, now, engine.pool.threads[t]->pawnHash) != evaluate(personality, now, *fresh))
          ++differences;
      }
      EXPECT_EQ(differences, 0) << change.change << ", thread " << t;
    }
  }
  std::remove(file.c_str());
  installParameters(personality, false);
}

}  // namespace
}  // namespace talvik
