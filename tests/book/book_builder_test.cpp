#include "book/book_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "book/book_file.h"
#include "book/opening_book.h"
#include "book/polyglot_file.h"
#include "book/polyglot_key.h"
#include "book/polyglot_move.h"
#include "search/engine.h"
#include "search/game.h"
#include "support/san_writer.h"

namespace talvik {
namespace {

namespace fs = std::filesystem;

class BookBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initBitboardTables();
    dir_ = fs::temp_directory_path() / ("talvik_book_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<BookEntry> build(const std::string& pgn, int depth, int count) {
    const std::string pgnFile = (dir_ / "games.pgn").string(), bookFile = (dir_ / "book.bin").string();
    std::ofstream(pgnFile) << pgn;
    EXPECT_TRUE(buildBook(pgnFile, bookFile, depth, count));
    std::vector<BookEntry> entries;
    EXPECT_EQ(readBookFile(bookFile, entries).status, BookReadStatus::Ok);
    return entries;
  }

  static std::uint64_t keyAfter(const std::string& moves) {
    Engine engine;
    engine.initialise(1);
    playMoveText(engine, moves);
    return engine.board.hashKey;
  }

  fs::path dir_;
};

const BookEntry* find(const std::vector<BookEntry>& entries, std::uint64_t key, const std::string& move) {
  for (const BookEntry& e : entries) {
    if (e.key != key) continue;
    const std::string from{static_cast<char>('a' + fileOf(moveFrom(e.move))), static_cast<char>('1' + rankOf(moveFrom(e.move)))};
    const std::string to{static_cast<char>('a' + fileOf(moveTo(e.move))), static_cast<char>('1' + rankOf(moveTo(e.move)))};
    if (from + to == move) return &e;
  }
  return nullptr;
}

TEST_F(BookBuilderTest, DepthCountsPointsAndUnknownResult) {
  const std::string game = "[Result \"*\"]\n\n1. e4 e5 2. Nf3 *\n";
  const auto depth2 = build(game, 2, 1);
  ASSERT_EQ(depth2.size(), 3u);
  const std::uint64_t start = keyAfter(""), afterE4 = keyAfter("e2e4"), afterE5 = keyAfter("e2e4 e7e5");
  for (const auto& [key, move] : std::vector<std::pair<std::uint64_t, std::string>>{
           {start, "e2e4"}, {afterE4, "e7e5"}, {afterE5, "g1f3"}}) {
    const BookEntry* e = find(depth2, key, move);
    ASSERT_NE(e, nullptr) << move;
    EXPECT_EQ(e->count, 1);
    EXPECT_EQ(e->points, 1);  // an unknown result counts as a draw
  }
  const auto depth1 = build(game, 1, 1);
  ASSERT_EQ(depth1.size(), 1u);
  EXPECT_NE(find(depth1, start, "e2e4"), nullptr);
}

TEST_F(BookBuilderTest, RepeatedWinsAddUpAndThresholdDrops) {
  const std::string game = "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 1-0\n\n";
  const auto twice = build(game + game, 2, 1);
  ASSERT_EQ(twice.size(), 3u);
  EXPECT_EQ(find(twice, keyAfter(""), "e2e4")->points, 4);
  EXPECT_EQ(find(twice, keyAfter(""), "e2e4")->count, 2);
  EXPECT_EQ(find(twice, keyAfter("e2e4"), "e7e5")->points, 0);
  EXPECT_EQ(find(twice, keyAfter("e2e4 e7e5"), "g1f3")->points, 4);
  // Seen twice, kept only from three: an empty book is still a valid file.
  EXPECT_TRUE(build(game + game, 2, 3).empty());
}

TEST_F(BookBuilderTest, TranspositionsShareEntries) {
  const auto entries = build(
      "[Result \"1/2-1/2\"]\n\n1. Nf3 Nf6 2. Nc3 d5 *\n\n[Result \"0-1\"]\n\n1. Nc3 Nf6 2. Nf3 d5 *\n", 3, 1);
  // Both games reach the position after 1.Nc3 Nf6 2.Nf3 and play ...d5 there.
  const BookEntry* d5 = find(entries, keyAfter("b1c3 g8f6 g1f3"), "d7d5");
  ASSERT_NE(d5, nullptr);
  EXPECT_EQ(d5->count, 2);
  EXPECT_EQ(d5->points, 1 + 2);
}

TEST_F(BookBuilderTest, FileIsSortedByKeyThenPoints) {
  const auto entries = build(
      "[Result \"1-0\"]\n1. e4 *\n[Result \"0-1\"]\n1. d4 *\n[Result \"1-0\"]\n1. e4 *\n[Result \"1/2-1/2\"]\n1. c4 *\n",
      1, 1);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(find(entries, keyAfter(""), "e2e4"), &entries[0]);  // 4 points
  EXPECT_EQ(find(entries, keyAfter(""), "c2c4"), &entries[1]);  // 1 point
  EXPECT_EQ(find(entries, keyAfter(""), "d2d4"), &entries[2]);  // 0 points
}

TEST_F(BookBuilderTest, PolyglotBookWeighsByPointsUnderPolyglotKeys) {
  const std::string pgnFile = (dir_ / "games.pgn").string(), bookFile = (dir_ / "book.bin").string();
  // The third game starts from a Chess960 array with castling rights, which
  // Polyglot keys cannot describe: it is left out.
  std::ofstream(pgnFile)
      << "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n[Result \"1/2-1/2\"]\n1. e4 c5 1/2-1/2\n"
         "[Result \"1/2-1/2\"]\n[FEN \"bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w GEge - 0 1\"]\n1. e4 e5 1/2-1/2\n";
  ASSERT_TRUE(buildBook(pgnFile, bookFile, 2, 1, BookFormat::Polyglot));
  std::vector<PolyglotEntry> entries;
  ASSERT_EQ(readPolyglotFile(bookFile, entries).status, PolyglotReadStatus::Ok);
  struct Expected {
    const char* before;  // the moves that lead to the position
    const char* move;
    std::uint16_t weight;
  };
  // e7e5 scored nothing (the game was lost): a weight-0 move is not written.
  const Expected expected[] = {{"", "e2e4", 3}, {"e2e4", "c7c5", 1}, {"e2e4 e7e5", "g1f3", 2}};
  ASSERT_EQ(entries.size(), 3u);
  for (const Expected& e : expected) {
    Engine engine;
    engine.initialise(1);
    playMoveText(engine, e.before);
    const std::uint16_t move = toPolyglotMove(parseCoordinateMove(engine.board, e.move, false));
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const PolyglotEntry& entry) {
      return entry.key == polyglotKey(engine.board) && entry.move == move;
    });
    ASSERT_NE(found, entries.end()) << e.move;
    EXPECT_EQ(found->weight, e.weight) << e.move;
    EXPECT_EQ(found->learn, 0u) << e.move;
  }
  for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_LE(entries[i - 1].key, entries[i].key);
}

TEST_F(BookBuilderTest, MissingPgnWritesNoBook) {
  EXPECT_FALSE(buildBook((dir_ / "none.pgn").string(), (dir_ / "book.bin").string(), 10, 1));
  EXPECT_FALSE(fs::exists(dir_ / "book.bin"));
}

// Random legal games written as PGN: every book entry must be a legal move in
// its position, and probing must give the move with the most points.
TEST_F(BookBuilderTest, RandomGamesRoundTrip) {
  std::mt19937 rng(20261208);
  std::string pgn;
  const char* results[] = {"1-0", "0-1", "1/2-1/2", "*"};
  for (int game = 0; game < 300; ++game) {
    Board board;
    setupStartPosition(board);
    const char* result = results[rng() % 4];
    pgn += std::string("[Result \"") + result + "\"]\n\n";
    for (int ply = 0; ply < 16; ++ply) {
      MoveList list;
      const int n = generateLegal(board, list.entries, sideToMoveInCheck(board));
      if (n == 0) break;
      // A few fixed first moves make positions repeat across games.
      const Move move = list.entries[ply < 4 ? rng() % std::min(n, 3) : rng() % n].move;
      if (ply % 2 == 0) pgn += std::to_string(ply / 2 + 1) + ". ";
      pgn += test::toSan(board, move) + " ";
      UndoRecord undo;
      makeMove(board, move, undo);
    }
    pgn += std::string(result) + "\n\n";
  }
  const auto entries = build(pgn, 6, 1);
  ASSERT_GT(entries.size(), 300u);

  Engine engine;
  engine.initialise(1);
  std::map<std::uint64_t, const BookEntry*> best;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) {
      ASSERT_LE(entries[i - 1].key, entries[i].key);
    }
    if (!best.count(entries[i].key)) best[entries[i].key] = &entries[i];
    EXPECT_GE(best[entries[i].key]->points, entries[i].points);
  }
  // Replay the PGN positions through the reader to find each key's board.
  struct Checker : PgnListener {
    std::map<std::uint64_t, Board> boards;
    std::uint64_t before = 0;
    void onBeginGame(PgnReader& r) override { boards[r.board.hashKey] = r.board; }
    void onMove(PgnReader& r, const PgnMoveRecord&, Move, const std::string*) override {
      boards[r.board.hashKey] = r.board;
    }
  } checker;
  PgnReader reader(checker);
  reader.parseText(pgn);
  engine.bookEntries = entries;
  engine.bookSelectivity = 100;
  for (const auto& [key, entry] : best) {
    ASSERT_TRUE(checker.boards.count(key));
    const Board& board = checker.boards[key];
    MoveList list;
    const int n = generateLegal(board, list.entries, sideToMoveInCheck(board));
    bool legal = false;
    for (int i = 0; i < n; ++i) legal |= list.entries[i].move == entry->move;
    EXPECT_TRUE(legal) << boardToFen(board, 1);
    engine.board = board;
    EXPECT_EQ(probeBook(engine.bookEntries, {}, engine.board, false, engine.bookSelectivity, libraryRandom), entry->move);
  }
}

}  // namespace
}  // namespace talvik
