#include "search/engine.h"

#include <gtest/gtest.h>

#include <memory>

#include "search/game.h"
#include "search/reductions.h"

namespace talvik {
namespace {

TEST(ReductionTables, FollowTheLogarithmicFormula) {
  initReductionTables();
  EXPECT_EQ(lmrTable[3][9], 1);
  EXPECT_EQ(lmrTable[4][6], 1);
  EXPECT_EQ(lmrTable[6][15], 2);
  EXPECT_EQ(lmrTable[9][9], 2);
  EXPECT_EQ(lmrTable[63][63], 7);
  EXPECT_EQ(lmrTable[3][2], 0);
  for (int depth = 0; depth < 64; ++depth) {
    for (int moves = 0; moves < 64; ++moves) {
      const int r = lmrTable[depth][moves];
      EXPECT_TRUE(r >= 0 && r <= 10) << depth << " " << moves;
      if (depth < 3 || moves == 0) {
        EXPECT_EQ(r, 0) << depth << " " << moves;
        continue;
      }
      // More depth or more moves never reduce less.
      EXPECT_GE(r, lmrTable[depth - 1][moves]);
      EXPECT_GE(r, lmrTable[depth][moves - 1]);
    }
  }
  EXPECT_EQ(lmpTable[0], 4);
  EXPECT_EQ(lmpTable[15], 206);
}

class EngineLifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = std::make_unique<Engine>();
    engine->initialise(1);
  }
  void TearDown() override { engine->tearDown(); }
  std::unique_ptr<Engine> engine;
};

TEST_F(EngineLifecycle, InitialiseSetsUpTheStartPosition) {
  Board start;
  setupStartPosition(start);
  EXPECT_EQ(engine->board, start);
  EXPECT_TRUE(engine->gameMoves.empty());
  EXPECT_EQ(engine->repCount, 0);
  EXPECT_TRUE(engine->transTable.allocated());
  EXPECT_NE(engine->mainThreadRef, nullptr);
  EXPECT_EQ(engine->mainThreadRef, engine->pool.mainThread);
}

TEST_F(EngineLifecycle, NewGameResetsTheGameAndLimitsButNotTheOptions) {
  ASSERT_TRUE(playMoveText(*engine, "e2e4 e7e5 g1f3"));
  engine->ponderEnabled = 1;
  engine->multiPV = 4;
  engine->chess960 = 1;
  engine->useNullMove = 0;
  engine->useLMR = 0;
  engine->ownBook = 1;
  engine->limitMode = LimitDepth;
  engine->depthLimit = 20;
  engine->nodeLimit = 5;
  engine->moveTimeUs = 1;
  engine->movesToGo = 3;
  engine->increment[White] = 1000;
  engine->clockMs[Black] = 5.0f;
  engine->searchesThisGame = 7;
  engine->timeBudgetUs = 99;
  const int tableSize = engine->transTable.megabytes();

  engine->newGame();

  Board start;
  setupStartPosition(start);
  EXPECT_EQ(engine->board, start);
  EXPECT_TRUE(engine->gameMoves.empty());
  EXPECT_TRUE(engine->gameUndo.empty());
  EXPECT_EQ(engine->repCount, 0);
  EXPECT_EQ(engine->limitMode, LimitMoveTime);
  EXPECT_EQ(engine->depthLimit, 8);
  EXPECT_EQ(engine->nodeLimit, 2000000u);
  EXPECT_EQ(engine->moveTimeUs, 5000000);
  EXPECT_EQ(engine->movesToGo, 40);
  EXPECT_EQ(engine->increment[White], 0);
  EXPECT_EQ(engine->clockMs[Black], 300000.0f);
  EXPECT_EQ(engine->searchesThisGame, 0);
  EXPECT_EQ(engine->timeBudgetUs, 7500);
  // Options stay as the GUI set them.
  EXPECT_EQ(engine->ponderEnabled, 1);
  EXPECT_EQ(engine->multiPV, 4);
  EXPECT_EQ(engine->chess960, 1u);
  EXPECT_EQ(engine->useNullMove, 0);
  EXPECT_EQ(engine->useLMR, 0);
  EXPECT_EQ(engine->ownBook, 1);
  EXPECT_EQ(engine->transTable.megabytes(), tableSize);
}

TEST_F(EngineLifecycle, RequestAbortStopsOnlyARunningSearch) {
  engine->pollInterval = 4096;
  engine->requestAbort();
  EXPECT_EQ(engine->stopRequest, StopNone);
  engine->searching = 1;
  engine->requestAbort();
  EXPECT_EQ(engine->stopRequest, StopAbort);
  EXPECT_EQ(engine->pollCounter, 4096u);
  engine->searching = 0;
}

TEST_F(EngineLifecycle, TearDownReleasesTablesAndThreads) {
  engine->ponderEnabled = 1;
  engine->tearDown();
  EXPECT_FALSE(engine->transTable.allocated());
  EXPECT_EQ(engine->mainThreadRef, nullptr);
  EXPECT_EQ(engine->ponderEnabled, 0);
  EXPECT_EQ(engine->board.occupied, 0u);
}

}  // namespace
}  // namespace talvik
