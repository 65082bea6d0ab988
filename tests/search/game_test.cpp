#include "search/game.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/move_text.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

class RecordingSink : public ReportSink {
 public:
  void reportMessage(const char* text) override { messages.emplace_back(text); }
  std::vector<std::string> messages;
};

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine = std::make_unique<Engine>();
    engine->reportSink = &sink;
  }
  void setFen(const char* fen) { ASSERT_TRUE(setPositionFromFen(*engine, fen)) << fen; }
  std::string playedText() const {
    return movesToText(engine->gameMoves.data(), static_cast<int>(engine->gameMoves.size()), engine->chess960 != 0);
  }
  std::vector<std::uint64_t> repetitionKeys() const {
    return {engine->repKeys, engine->repKeys + engine->repCount};
  }

  RecordingSink sink;
  std::unique_ptr<Engine> engine;
};

TEST_F(GameTest, CastlingInStandardNotation) {
  setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  ASSERT_TRUE(playMoveText(*engine, "e1g1 e8c8"));
  EXPECT_TRUE(isCastle(engine->gameMoves[0]));
  EXPECT_EQ(moveTo(engine->gameMoves[0]), 7);  // the rook's square
  EXPECT_EQ(moveTo(engine->gameMoves[1]), 56);
  EXPECT_EQ(playedText(), "e1g1 e8c8");
  EXPECT_EQ(gameFen(*engine), "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2");
}

TEST_F(GameTest, CastlingInChess960Notation) {
  engine->chess960 = 1;
  setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_FALSE(playMoveText(*engine, "e1g1"));  // a king step of two squares
  ASSERT_TRUE(playMoveText(*engine, "e1h1 e8a8"));
  EXPECT_EQ(playedText(), "e1h1 e8a8");
  EXPECT_EQ(engine->board.squareType[6], King);
  EXPECT_EQ(engine->board.squareType[59], Rook);
  // Chess960 start: king b1 castles long onto its neighbour rook a1.
  setFen("rkrbqnbn/pppppppp/8/8/8/8/PPPPPPPP/RKRBQNBN w CAca - 0 1");
  EXPECT_FALSE(playMoveText(*engine, "b1a1"));  // c1 and d1 are not empty
  setFen("rk6/8/8/8/8/8/8/RK6 w Aa - 0 1");
  ASSERT_TRUE(playMoveText(*engine, "b1a1 b8a8"));
  EXPECT_EQ(playedText(), "b1a1 b8a8");
  engine->chess960 = 0;
  EXPECT_EQ(playedText(), "b1c1 b8c8");
}

TEST_F(GameTest, CastlingTokens) {
  setFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  ASSERT_TRUE(playMoveText(*engine, "O-O O-O-O"));
  EXPECT_EQ(playedText(), "e1g1 e8c8");
  EXPECT_FALSE(playMoveText(*engine, "O-O"));  // no rights left
}

TEST_F(GameTest, PromotionLettersAreLowerCase) {
  setFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  EXPECT_FALSE(playMoveText(*engine, "a7a8Q"));
  EXPECT_EQ(sink.messages, std::vector<std::string>{"Illegal move: a7a8Q"});
  EXPECT_FALSE(playMoveText(*engine, "a7a8"));  // a promotion needs its piece
  ASSERT_TRUE(playMoveText(*engine, "a7a8q"));
  EXPECT_EQ(movePromotion(engine->gameMoves.back()), Queen);
  setFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  ASSERT_TRUE(playMoveText(*engine, "a7a8n"));
  EXPECT_EQ(movePromotion(engine->gameMoves.back()), Knight);
}

TEST_F(GameTest, EnPassantCaptureOntoTheEmptySquare) {
  setFen("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
  ASSERT_TRUE(playMoveText(*engine, "d7d5 e5d6"));
  const Move m = engine->gameMoves.back();
  EXPECT_TRUE(isEnPassant(m));
  EXPECT_EQ(moveCaptured(m), Pawn);
  EXPECT_EQ(engine->board.pieces(Pawn, Black), 0u);
}

TEST_F(GameTest, StopsAtTheFirstIllegalMoveAndQuotesIt) {
  struct Case {
    const char* text;
    std::size_t played;
    const char* message;
  };
  const Case cases[] = {
      {"e2e4 e7e5 e1e3", 2, "Illegal move: e1e3"},
      {"e2e4 e7e5x g1f3", 1, "Illegal move: e7e5x"},
      {"e2e4 e7e5qq", 1, "Illegal move: e7e5q"},
      {"e2e5", 0, "Illegal move: e2e5"},
      {"e2", 0, "Illegal move: e2"},
      {"i2i4", 0, "Illegal move: i2i4"},
      {"e3e4", 0, "Illegal move: e3e4"},   // no piece there
      {"e7e5", 0, "Illegal move: e7e5"},   // not White's pawn
      {"e2e4 e2e4", 1, "Illegal move: e2e4"},
  };
  for (const Case& c : cases) {
    engine->newGame();
    sink.messages.clear();
    EXPECT_FALSE(playMoveText(*engine, c.text)) << c.text;
    EXPECT_EQ(engine->gameMoves.size(), c.played) << c.text;
    EXPECT_EQ(sink.messages, std::vector<std::string>{c.message}) << c.text;
  }
}

TEST_F(GameTest, BlanksSeparateMoves) {
  EXPECT_TRUE(playMoveText(*engine, ""));
  EXPECT_TRUE(playMoveText(*engine, "   "));
  EXPECT_TRUE(engine->gameMoves.empty());
  ASSERT_TRUE(playMoveText(*engine, "  e2e4   e7e5\tg1f3\r\n"));
  EXPECT_EQ(playedText(), "e2e4 e7e5 g1f3");
  EXPECT_TRUE(sink.messages.empty());
}

// The move is made, found to leave its own king attacked, and taken back:
// board, game and repetition list are as before it.
TEST_F(GameTest, RefusesAMoveThatLeavesTheKingInCheck) {
  struct Case {
    const char* fen;
    const char* text;
    std::size_t played;
    const char* message;
  };
  const Case cases[] = {
      {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e2d3", 0, "Illegal move: e2d3"},  // pinned bishop
      {"4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", "e1d2", 0, "Illegal move: e1d2"},    // into the rook's rank
      {"4k3/8/8/8/1b6/8/8/R3K3 w - - 0 1", "a1a2", 0, "Illegal move: a1a2"},   // ignores the check
      {"4k3/8/8/8/8/8/8/R3K2r w Q - 0 1", "e1c1", 0, "Illegal move: e1c1"},    // castles out of check
      {"4k3/4R3/8/8/8/8/8/4K3 b - - 0 1", "e8d8 e1d1 d8e8", 2, "Illegal move: d8e8"},
  };
  for (const Case& c : cases) {
    setFen(c.fen);
    sink.messages.clear();
    EXPECT_FALSE(playMoveText(*engine, c.text)) << c.fen;
    EXPECT_EQ(engine->gameMoves.size(), c.played) << c.fen;
    EXPECT_EQ(engine->repCount, static_cast<int>(c.played)) << c.fen;
    EXPECT_EQ(sink.messages, std::vector<std::string>{c.message}) << c.fen;
    Board expected = test::boardFromFen(c.fen);
    for (std::size_t i = 0; i < c.played; ++i) engine->takeBack();
    EXPECT_EQ(engine->board, expected) << c.fen;
  }
}

TEST_F(GameTest, RepetitionListHoldsPositionsSinceTheLastIrreversibleMove) {
  const std::uint64_t start = engine->board.hashKey;
  ASSERT_TRUE(playMoveText(*engine, "g1f3 g8f6 f3g1 f6g8"));
  EXPECT_EQ(engine->repCount, 4);
  EXPECT_EQ(engine->repKeys[0], start);
  EXPECT_EQ(engine->board.hashKey, start);
  ASSERT_TRUE(playMoveText(*engine, "e2e4"));
  EXPECT_EQ(engine->repCount, 0);
  ASSERT_TRUE(playMoveText(*engine, "b8c6"));
  EXPECT_EQ(engine->repCount, 1);
}

// After every take-back the game, the board and the repetition list are
// exactly what replaying the remaining moves gives.
TEST_F(GameTest, TakeBackRebuildsTheRepetitionList) {
  EXPECT_EQ(engine->takeBack(), 0);
  const std::vector<std::string> moves = {"g1f3", "g8f6", "e2e4", "f6g4", "f3g1", "g4f6", "e1e2", "b8c6", "g1f3"};
  std::string text;
  for (const auto& m : moves) text += m + " ";
  ASSERT_TRUE(playMoveText(*engine, text));
  for (std::size_t remaining = moves.size(); remaining-- > 0;) {
    EXPECT_EQ(engine->takeBack(), 1);
    Engine replay;
    std::string prefix;
    for (std::size_t i = 0; i < remaining; ++i) prefix += moves[i] + " ";
    ASSERT_TRUE(playMoveText(replay, prefix));
    EXPECT_EQ(engine->board, replay.board) << remaining;
    EXPECT_EQ(engine->gameMoves, replay.gameMoves);
    EXPECT_EQ(repetitionKeys(), std::vector<std::uint64_t>(replay.repKeys, replay.repKeys + replay.repCount))
        << remaining;
  }
  EXPECT_EQ(engine->takeBack(), 0);
}

// A GUI may send a long reversible game, and UCI resends the whole game
// before every move: the lists and the clock must stay in bounds.
TEST_F(GameTest, ThousandPliesOfShufflingKnights) {
  std::string all;
  for (int i = 0; i < 250; ++i) all += "g1f3 g8f6 f3g1 f6g8 ";
  const std::uint64_t start = engine->board.hashKey;
  ASSERT_TRUE(playMoveText(*engine, all));
  EXPECT_EQ(engine->gameMoves.size(), 1000u);
  EXPECT_LE(engine->repCount, RepetitionCapacity);
  EXPECT_GT(engine->repCount, 100);  // the recent positions are all kept
  EXPECT_EQ(engine->repKeys[engine->repCount - 4], start);
  EXPECT_EQ(engine->board.hashKey, start);
  EXPECT_EQ(engine->board.halfmoveClock, 255);
  EXPECT_EQ(gameFen(*engine), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 255 501");

  // The same game move by move, and resent from the start every ten plies.
  Engine byMove;
  for (int i = 0; i < 250; ++i)
    for (const char* m : {"g1f3", "g8f6", "f3g1", "f6g8"}) ASSERT_TRUE(playMoveText(byMove, m));
  EXPECT_EQ(byMove.board, engine->board);
  EXPECT_EQ(byMove.repCount, engine->repCount);
  for (std::size_t length = 50; length <= all.size(); length += 50) {
    byMove.newGame();
    ASSERT_TRUE(playMoveText(byMove, all.substr(0, length)));
    ASSERT_LE(byMove.repCount, RepetitionCapacity);
  }
  EXPECT_EQ(byMove.gameMoves.size(), 1000u);
  while (engine->takeBack()) ASSERT_LE(engine->repCount, RepetitionCapacity);
  Board initial;
  setupStartPosition(initial);
  EXPECT_EQ(engine->board, initial);
}

TEST_F(GameTest, FenInstallsANewGameLine) {
  ASSERT_TRUE(playMoveText(*engine, "e2e4 e7e5 g1f3"));
  setFen("4k3/8/8/8/8/8/4P3/4K3 b - - 3 40");
  EXPECT_TRUE(engine->gameMoves.empty());
  EXPECT_TRUE(engine->gameUndo.empty());
  EXPECT_EQ(engine->repCount, 0);
  EXPECT_EQ(gameFen(*engine), "4k3/8/8/8/8/8/4P3/4K3 b - - 3 40");
  ASSERT_TRUE(playMoveText(*engine, "e8d8 e2e4"));
  EXPECT_EQ(gameFen(*engine), "3k4/8/8/8/4P3/8/8/4K3 b - e3 0 41");
  // Without counters the move number starts at 1.
  setFen("4k3/8/8/8/8/8/4P3/4K3 w");
  EXPECT_EQ(gameFen(*engine), "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
  // A clock above 255 saturates.
  setFen("4k3/8/8/8/8/8/4P3/4K3 w - - 999 1");
  EXPECT_EQ(engine->board.halfmoveClock, 255);
  const Board before = engine->board;
  EXPECT_FALSE(setPositionFromFen(*engine, "not a position"));
  EXPECT_EQ(engine->board, before);
}

}  // namespace
}  // namespace talvik
