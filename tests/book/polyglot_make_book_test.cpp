// Books made by Debian's polyglot tool, the format's reference producer, read
// the way that tool reads them: in every position of the games the moves
// Talvik can play are exactly the ones "polyglot dump-book" lists, and the
// choice among them follows the weights. Skipped when the tool is missing,
// except on CI (or with TALVIK_REQUIRE_REAL_CLIENTS set), where it must run.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/move_text.h"
#include "book/polyglot_book.h"
#include "book/polyglot_key.h"
#include "book/san_parser.h"

namespace talvik {
namespace {

namespace fs = std::filesystem;

// Every line of the opening is played once as a draw, so that each move has
// points for its mover and polyglot keeps it; the decisive repeats spread the
// weights. Games 4 and 5 transpose; game 8 allows an en-passant capture.
constexpr const char* Games[][2] = {
    {"1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7", "1/2-1/2"},
    {"1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O Nf6 5. d3 O-O", "1/2-1/2"},
    {"1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6", "1/2-1/2"},
    {"1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. e3 O-O", "1/2-1/2"},
    {"1. c4 e6 2. d4 Nf6 3. Nf3 d5", "1/2-1/2"},
    {"1. e4 d5 2. exd5 Qxd5 3. Nc3 Qa5", "1/2-1/2"},
    {"1. e4 e6 2. d4 d5 3. e5 c5 4. c3 Nc6", "1/2-1/2"},
    {"1. e4 Nf6 2. e5 d5 3. exd6 exd6 4. Nf3 Be7", "1/2-1/2"},
    {"1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7", "1-0"},
    {"1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7", "1-0"},
    {"1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 5. Nc3 a6", "0-1"},
    {"1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. e3 O-O", "1-0"},
};
constexpr int MaxPly = 10;

std::string polyglotTool() {
  for (const char* path : {"/usr/games/polyglot", "/usr/bin/polyglot"})
    if (::access(path, X_OK) == 0) return path;
  return "";
}

bool mustRun() { return std::getenv("CI") || std::getenv("TALVIK_REQUIRE_REAL_CLIENTS"); }

// The SAN words of a move text, move numbers left out, up to a remark such
// as the dump's "{trans: line=7, ply=4}" (the line goes on as line 7 does).
std::vector<std::string> sanWords(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word && word[0] != '{';)
    if (word.back() != '.' && word.back() != ':') words.push_back(word);
  return words;
}

Move playSan(Board& board, const std::string& san) {
  const Move move = parseSan(board, san);
  EXPECT_NE(move, NoMove) << san << " in " << boardToFen(board, 1);
  UndoRecord undo;
  if (move != NoMove) makeMove(board, move, undo);
  return move;
}

class PolyglotMakeBook : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = polyglotTool();
    if (tool_.empty()) {
      if (mustRun()) FAIL() << "the polyglot tool is missing";
      GTEST_SKIP() << "the polyglot tool is missing";
    }
    initBitboardTables();
    dir_ = fs::temp_directory_path() / ("talvik_polyglot_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    std::ofstream pgn(dir_ / "games.pgn");
    for (const auto& game : Games)
      pgn << "[Event \"t\"]\n[Result \"" << game[1] << "\"]\n\n" << game[0] << " " << game[1] << "\n\n";
    pgn.close();
    run("make-book -pgn games.pgn -bin book.bin -max-ply " + std::to_string(MaxPly) + " -min-game 1");
    readBook();
    for (const char* colour : {"white", "black"}) readDump(colour);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  void run(const std::string& arguments) {
    const std::string command = "cd '" + dir_.string() + "' && '" + tool_ + "' " + arguments + " >>tool.log 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
  }

  void readBook() {
    std::ifstream in(dir_ / "book.bin", std::ios::binary);
    unsigned char bytes[PolyglotEntrySize];
    while (in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) book_.push_back(decodePolyglotEntry(bytes));
    ASSERT_FALSE(book_.empty());
  }

  // "1: 1. e4{80%} e5 2. Nf3{50%} ...": the moves with a share are the book's
  // moves of that colour, the others lead to the next book position.
  void readDump(const std::string& colour) {
    run("dump-book -bin book.bin -color " + colour + " -out " + colour + ".txt");
    std::ifstream in(dir_ / (colour + ".txt"));
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
      Board board{};
      setupStartPosition(board);
      for (std::string word : sanWords(line)) {
        const std::size_t brace = word.find('{');
        if (brace != std::string::npos) {
          const int percent = std::atoi(word.c_str() + brace + 1);
          word.resize(brace);
          positions_[polyglotKey(board)] = board;
          const Move move = parseSan(board, word);
          listed_[polyglotKey(board)][moveToCoordinate(move, false)] = percent;
        }
        playSan(board, word);
      }
    }
    ASSERT_FALSE(listed_.empty()) << colour;
  }

  std::set<std::string> talvikMoves(const Board& board) const {
    std::set<std::string> moves;
    for (const WeightedMove& m : polyglotBookMoves(book_, board)) moves.insert(moveToCoordinate(m.move, false));
    return moves;
  }
  std::set<std::string> listedMoves(std::uint64_t key) const {
    std::set<std::string> moves;
    if (const auto it = listed_.find(key); it != listed_.end())
      for (const auto& [move, percent] : it->second) moves.insert(move);
    return moves;
  }

  std::string tool_;
  fs::path dir_;
  std::vector<PolyglotEntry> book_;
  std::map<std::uint64_t, std::map<std::string, int>> listed_;  // key -> move -> share in percent
  std::map<std::uint64_t, Board> positions_;                    // the boards of the listed positions
};

TEST_F(PolyglotMakeBook, MovesAreTheOnesDumpBookLists) {
  // Every position of every game, then every position the dump lists.
  int compared = 0;
  for (const auto& game : Games) {
    Board board{};
    setupStartPosition(board);
    for (const std::string& san : sanWords(game[0])) {
      EXPECT_EQ(talvikMoves(board), listedMoves(polyglotKey(board))) << game[0] << " before " << san;
      compared += !talvikMoves(board).empty();
      playSan(board, san);
    }
  }
  for (const auto& [key, board] : positions_) EXPECT_EQ(talvikMoves(board), listedMoves(key));
  EXPECT_GT(compared, MaxPly);
}

TEST_F(PolyglotMakeBook, ChoiceFollowsTheListedShares) {
  Board board{};
  setupStartPosition(board);
  const std::map<std::string, int>& shares = listed_[polyglotKey(board)];
  ASSERT_GE(shares.size(), 3u);
  std::mt19937 generator(5489);
  const BookRandom random = [&generator] { return static_cast<std::uint32_t>(generator() >> 1); };
  const int draws = 10000, selectivity = 1;
  std::map<std::string, int> seen;
  for (int i = 0; i < draws; ++i) ++seen[moveToCoordinate(choosePolyglotMove(book_, board, selectivity, random), false)];
  const auto heaviest = std::max_element(shares.begin(), shares.end(),
                                         [](const auto& a, const auto& b) { return a.second < b.second; });
  for (const auto& [move, percent] : shares) {
    const double expected = selectivity / 100.0 * (move == heaviest->first) + (1 - selectivity / 100.0) * percent / 100.0;
    EXPECT_NEAR(static_cast<double>(seen[move]) / draws, expected, 0.04) << move;
  }
  EXPECT_EQ(seen.size(), shares.size());
}

}  // namespace
}  // namespace talvik
