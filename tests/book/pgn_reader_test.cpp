#include "book/pgn_reader.h"

#include <gtest/gtest.h>

#include <array>

#include "board/move_text.h"

namespace talvik {
namespace {

// Records every event the reader reports.
struct RecordingListener : PgnListener {
  std::vector<std::string> moves;  // coordinate text of replayed moves
  std::vector<std::string> comments;
  std::vector<std::pair<std::string, std::string>> tags;
  std::vector<int> nags;
  std::vector<std::pair<int, std::string>> errors;
  std::vector<std::string> errorMessages;
  std::vector<std::string> moveComments;  // comment attached to each move ("" for none)
  std::vector<std::array<std::uint8_t, 4>> glyphs;
  std::vector<int> moveCounters;
  int beginGames = 0, endGames = 0, endGamesStopped = 0, beginFiles = 0, endFiles = 0;

  void onBeginFile(PgnReader&) override { ++beginFiles; }
  void onEndFile(PgnReader&) override { ++endFiles; }
  void onBeginGame(PgnReader&) override { ++beginGames; }
  void onEndGame(PgnReader&, bool stopped) override {
    ++endGames;
    endGamesStopped += stopped;
  }
  void onMove(PgnReader& reader, const PgnMoveRecord& record, Move move, const std::string* comment) override {
    moves.push_back(moveToCoordinate(move, false));
    moveComments.push_back(comment ? *comment : "");
    glyphs.push_back({record.glyphs[0], record.glyphs[1], record.glyphs[2], record.glyphs[3]});
    moveCounters.push_back(reader.moveCounter);
  }
  void onComment(PgnReader&, const std::string& text) override { comments.push_back(text); }
  void onTag(PgnReader&, const std::string& name, const std::string& value) override { tags.emplace_back(name, value); }
  void onNag(PgnReader&, int number) override { nags.push_back(number); }
  void onError(PgnReader& reader, int code, const std::string& text) override {
    errors.emplace_back(code, text);
    errorMessages.push_back(pgnErrorMessage(reader, code, text));
  }
};

RecordingListener read(const std::string& text) {
  RecordingListener listener;
  PgnReader reader(listener);
  reader.parseText(text);
  return listener;
}

TEST(PgnReader, MainLineWithVariationCommentAndGlyph) {
  const auto l = read("[Event \"t\"]\n[Result \"1-0\"]\n\n1.e4 e5 2.Nf3 {good} Nc6 $1 (2...d6 3.d4) 3.Bb5 1-0\n");
  EXPECT_EQ(l.moves, (std::vector<std::string>{"e2e4", "e7e5", "g1f3", "b8c6", "f1b5"}));
  EXPECT_EQ(l.moveComments[2], "good");
  EXPECT_EQ(l.moveComments[3], "");
  EXPECT_EQ(l.glyphs[3][0], 1);
  EXPECT_EQ(l.glyphs[2][0], 0);
  EXPECT_EQ(l.nags, std::vector<int>{1});
  EXPECT_EQ(l.tags[1], (std::pair<std::string, std::string>{"Result", "1-0"}));
  EXPECT_EQ(l.beginGames, 1);
  EXPECT_EQ(l.endGames, 1);
  EXPECT_TRUE(l.errors.empty());
  // The move counter rises before each Black move.
  EXPECT_EQ(l.moveCounters, (std::vector<int>{0, 1, 1, 2, 2}));
}

TEST(PgnReader, FenTaggedGameStartingWithBlack) {
  const auto l = read("[FEN \"4r1k1/5ppp/8/8/8/8/5PPP/4R1K1 b - - 0 12\"]\n\n12...Rxe1# 0-1\n");
  EXPECT_TRUE(l.errors.empty());
  EXPECT_EQ(l.moves, std::vector<std::string>{"e8e1"});
  EXPECT_EQ(l.moveCounters, std::vector<int>{1});
}

// Knights on b1 and f3 both reach d2; the one that is pinned is skipped, even
// when it stands on the lower square.
TEST(PgnReader, PinnedKnightNeedsNoDisambiguation) {
  struct Case {
    const char* fen;
    const char* expected;
  };
  const Case cases[] = {
      {"4k3/8/8/3b4/8/5N2/8/1N5K w - - 0 1", "b1d2"},  // f3 pinned by the bishop on d5
      {"4k3/8/8/8/8/5N2/8/KN2r3 w - - 0 1", "f3d2"},   // b1 pinned by the rook on e1
  };
  for (const Case& c : cases) {
    const auto l = read(std::string("[FEN \"") + c.fen + "\"]\n\n1.Nd2 *\n");
    EXPECT_TRUE(l.errors.empty()) << c.fen;
    EXPECT_EQ(l.moves, std::vector<std::string>{c.expected}) << c.fen;
  }
}

TEST(PgnReader, IllegalMoveEndsThatGameOnly) {
  const auto l = read(
      "[Event \"a\"]\n\n1.e4 f5 2.Qh5+ Nf6 3.Qxf5 1-0\n"
      "[Event \"b\"]\n\n1.d4 d5 2.c4 *\n");
  EXPECT_EQ(l.moves, (std::vector<std::string>{"e2e4", "f7f5", "d1h5", "d2d4", "d7d5", "c2c4"}));
  ASSERT_EQ(l.errors.size(), 1u);
  EXPECT_EQ(l.errors[0], (std::pair<int, std::string>{PgnIllegalMove, "Nf6"}));
  EXPECT_EQ(l.errorMessages[0], "Chess PGN : Invalid move 'Nf6' in game 1 at ply 2, line 0");
  EXPECT_EQ(l.endGamesStopped, 1);
  EXPECT_EQ(l.beginGames, 2);
}

TEST(PgnReader, UnreadableTokenReportsCodeTwo) {
  const auto l = read("[Event \"a\"]\n\n1.e4 e5 2.Nf9 *\n");
  ASSERT_EQ(l.errors.size(), 1u);
  EXPECT_EQ(l.errors[0], (std::pair<int, std::string>{PgnUnreadableMove, "Nf9"}));
}

TEST(PgnReader, LineNumbersCountCarriageReturnsOnly) {
  EXPECT_EQ(read("[Event \"a\"]\n\n1.e4 e5\n2.Nf9 *\n").errorMessages.at(0),
            "Chess PGN : Error parsing move 'Nf9' in game 1 at ply 1, line 0");
  EXPECT_EQ(read("[Event \"a\"]\r\n\r\n1.e4 e5\r\n2.Nf9 *\r\n").errorMessages.at(0),
            "Chess PGN : Error parsing move 'Nf9' in game 1 at ply 1, line 4");
}

TEST(PgnReader, GameWithoutTagsContinuesFromThePreviousBoard) {
  const auto l = read("[Event \"a\"]\n1.e4 e5 *\n\n2.Nf3 Nc6 *\n");
  EXPECT_EQ(l.moves, (std::vector<std::string>{"e2e4", "e7e5", "g1f3", "b8c6"}));
  EXPECT_EQ(l.beginGames, 1);
  const auto first = read("1.e4 e5 *\n");
  EXPECT_EQ(first.moves, (std::vector<std::string>{"e2e4", "e7e5"}));
  EXPECT_EQ(first.beginGames, 0);
  EXPECT_EQ(first.endGames, 1);
}

TEST(PgnReader, LastTokenWithoutTrailingSpaceCounts) {
  EXPECT_EQ(read("[Event \"a\"]\n1.e4 e5 2.Nf3").moves.size(), 3u);
}

TEST(PgnReader, InvalidFenTagSkipsTheGame) {
  const auto l = read("[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n\n1.e4 *\n[Event \"b\"]\n1.d4 *\n");
  ASSERT_EQ(l.errors.size(), 1u);
  EXPECT_EQ(l.errors[0].first, PgnInvalidFen);
  EXPECT_EQ(l.moves, std::vector<std::string>{"d2d4"});
}

TEST(PgnReader, HostileInputNeverBreaksTheReader) {
  std::string junk;
  std::uint32_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1664525u + 1013904223u;
    junk += static_cast<char>(state >> 24);
  }
  read(junk);
  read(std::string(10000, 'N') + " 1.e4");
  read("[Event \"unterminated");
  read("{unterminated comment 1.e4");
  read(std::string(5000, '(') + "1.e4" + std::string(7000, ')') + " 1.d4 *");
  read("[A \"b\"] 1." + std::string(20000, '.') + "e4 $99999999999 $ 1.O-O-O-O 0-0-0 e8=K exd9 Qxx");
}

// A ';' comment runs to the end of the line and belongs to the move before
// it; a line starting with '%' is not read at all.
TEST(PgnReader, LineCommentsAndEscapeLines) {
  const auto l = read("[Event \"t\"]\n\n1. e4 ; king's pawn {not a brace}\n% 1... c5\ne5;open\n% x\n2. Nf3 *\n");
  EXPECT_TRUE(l.errors.empty());
  EXPECT_EQ(l.moves, (std::vector<std::string>{"e2e4", "e7e5", "g1f3"}));
  EXPECT_EQ(l.comments, (std::vector<std::string>{" king's pawn {not a brace}", "open"}));
  EXPECT_EQ(l.moveComments, (std::vector<std::string>{" king's pawn {not a brace}", "open", ""}));
}

// A tag section followed only by a result is a game of its own: its tags
// (here a FEN) do not reach the next game.
TEST(PgnReader, TagSectionWithoutMovesIsAGame) {
  const auto l = read("[Event \"x\"]\n[FEN \"4k3/8/8/8/8/8/8/4K2R w K - 0 1\"]\n\n*\n\n[Event \"y\"]\n\n1. e4 *\n");
  EXPECT_TRUE(l.errors.empty());
  EXPECT_EQ(l.beginGames, 2);
  EXPECT_EQ(l.endGames, 2);
  EXPECT_EQ(l.moves, std::vector<std::string>{"e2e4"});
}

TEST(PgnReader, MissingFileIsReported) {
  RecordingListener listener;
  PgnReader reader(listener);
  EXPECT_FALSE(reader.parseFile("/nonexistent/games.pgn"));
  ASSERT_EQ(listener.errors.size(), 1u);
  EXPECT_EQ(listener.errorMessages[0], "Chess PGN : File not found \"/nonexistent/games.pgn\"");
  EXPECT_EQ(listener.beginFiles, 0);
}

}  // namespace
}  // namespace talvik
