#include "book/polyglot_book.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

#include "board/move_text.h"
#include "book/polyglot_key.h"
#include "book/polyglot_move.h"
#include "support/test_positions.h"

namespace talvik {
namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// A Polyglot move from coordinate text: e2e4, a7a8q, e1h1.
std::uint16_t bookMove(const std::string& text) {
  const int promotion = text.size() > 4 ? static_cast<int>(std::string("nbrq").find(text[4])) + 1 : 0;
  return static_cast<std::uint16_t>((text[2] - 'a') | (text[3] - '1') << 3 | (text[0] - 'a') << 6 |
                                    (text[1] - '1') << 9 | promotion << 12);
}

TEST(PolyglotFile, EntriesAreBigEndianFieldByField) {
  const PolyglotEntry entry{0x0102030405060708ull, 0x090A, 0x0B0C, 0x0D0E0F10u};
  unsigned char bytes[16];
  encodePolyglotEntry(entry, bytes);
  const unsigned char expected[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
  EXPECT_EQ(std::memcmp(bytes, expected, 16), 0);
  const PolyglotEntry back = decodePolyglotEntry(bytes);
  EXPECT_EQ(back.key, entry.key);
  EXPECT_EQ(back.move, entry.move);
  EXPECT_EQ(back.weight, entry.weight);
  EXPECT_EQ(back.learn, entry.learn);
}

TEST(PolyglotMove, DecodingAndEncoding) {
  struct Case {
    const char* fen;
    std::uint16_t move;
    const char* expected;  // coordinate text with Chess960 castling, "" when no legal move is meant
  };
  const char* castles = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
  const char* promotes = "1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1";
  const Case cases[] = {
      {StartFen, bookMove("e2e4"), "e2e4"},
      {StartFen, bookMove("g1f3"), "g1f3"},
      {StartFen, bookMove("e2e5"), ""},   // not a move of this position
      {StartFen, bookMove("e7e5"), ""},   // the other side's move
      {castles, bookMove("e1h1"), "e1h1"},  // castling as king takes rook
      {castles, bookMove("e1a1"), "e1a1"},
      {castles, bookMove("e1g1"), ""},    // the king's target square is not the format's castling
      {promotes, bookMove("a7a8q"), "a7a8q"},
      {promotes, bookMove("a7b8n"), "a7b8n"},
      {promotes, bookMove("a7a8"), ""},   // a pawn on the last rank needs a promotion piece
      {promotes, static_cast<std::uint16_t>(bookMove("a7a8") | 5 << 12), ""},  // no such piece
      {promotes, static_cast<std::uint16_t>(bookMove("a7a8q") | 0x8000), ""},
  };
  for (const Case& c : cases) {
    const Board board = test::boardFromFen(c.fen);
    const Move move = fromPolyglotMove(board, c.move);
    EXPECT_EQ(move == NoMove ? "" : moveToCoordinate(move, true), c.expected) << c.fen << " " << c.move;
    if (move != NoMove) {
      EXPECT_EQ(toPolyglotMove(move), c.move) << c.expected;
    }
  }
}

class PolyglotChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    board_ = test::boardFromFen(StartFen);
    const std::uint64_t key = polyglotKey(board_);
    // Sorted by key; inside the key in no particular order, as books may be.
    book_ = {{key - 1, bookMove("a2a3"), 50, 0}, {key, bookMove("d2d4"), 2, 0},  {key, bookMove("e2e5"), 90, 0},
             {key, bookMove("e2e4"), 4, 0},      {key, bookMove("g1f3"), 0, 0},  {key, bookMove("d2d4"), 1, 0},
             {key, bookMove("c2c4"), 1, 0},      {key + 1, bookMove("b2b3"), 50, 0}};
  }
  std::string text(Move move) const { return moveToCoordinate(move, false); }

  Board board_;
  std::vector<PolyglotEntry> book_;
};

TEST_F(PolyglotChoice, OffersTheLegalWeightedMovesOfThePosition) {
  // The illegal e2e5 and the weight-0 g1f3 are skipped; d2d4 counts once.
  std::vector<std::pair<std::string, std::uint64_t>> offered;
  for (const WeightedMove& m : polyglotBookMoves(book_, board_)) offered.push_back({text(m.move), m.weight});
  const std::vector<std::pair<std::string, std::uint64_t>> expected = {{"d2d4", 3}, {"e2e4", 4}, {"c2c4", 1}};
  EXPECT_EQ(offered, expected);
  EXPECT_TRUE(polyglotBookMoves(book_, test::boardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1")).empty());
  EXPECT_TRUE(polyglotBookMoves({}, board_).empty());
}

TEST_F(PolyglotChoice, SelectivitySharesOutTheMovesByWeight) {
  // Selectivity s: the heaviest move with chance s, else a draw by weight, so
  // e2e4 (4 of 8) has s + (1 - s) / 2, d2d4 (3 of 8) and c2c4 (1 of 8) the rest.
  std::mt19937 generator(20240611);
  const BookRandom random = [&generator] { return static_cast<std::uint32_t>(generator() >> 1); };
  const int draws = 8000;
  for (int selectivity : {1, 50, 100}) {
    std::map<std::string, int> seen;
    for (int i = 0; i < draws; ++i) ++seen[text(choosePolyglotMove(book_, board_, selectivity, random))];
    const double s = selectivity / 100.0;
    const std::map<std::string, double> expected = {
        {"e2e4", s + (1 - s) * 4 / 8}, {"d2d4", (1 - s) * 3 / 8}, {"c2c4", (1 - s) * 1 / 8}};
    for (const auto& [move, share] : expected)
      EXPECT_NEAR(static_cast<double>(seen[move]) / draws, share, 0.03) << move << " at selectivity " << selectivity;
    EXPECT_EQ(seen["e2e4"] + seen["d2d4"] + seen["c2c4"], draws) << selectivity;
  }
}

TEST_F(PolyglotChoice, NoMoveWithoutAnOfferedMove) {
  const BookRandom random = [] { return 12345u; };
  EXPECT_EQ(choosePolyglotMove(book_, test::boardFromFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), 50, random), NoMove);
  const std::uint64_t key = polyglotKey(board_);
  const std::vector<PolyglotEntry> unplayable = {{key, bookMove("e2e5"), 9, 0}, {key, bookMove("e2e4"), 0, 0}};
  EXPECT_EQ(choosePolyglotMove(unplayable, board_, 1, random), NoMove);
  EXPECT_EQ(choosePolyglotMove(unplayable, board_, 100, random), NoMove);
}

}  // namespace
}  // namespace talvik
