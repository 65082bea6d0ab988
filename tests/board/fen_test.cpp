#include "board/fen.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "board/movegen.h"
#include "search/game.h"
#include "support/test_positions.h"
#include "tools/leaf_count.h"

namespace talvik {
namespace {

constexpr const char* StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

ParsedFen parsed(const std::string& text) {
  ParsedFen out;
  EXPECT_TRUE(parseFen(text, out)) << text;
  return out;
}

TEST(ParseFen, ReadsEveryField) {
  const ParsedFen p = parsed("r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 12 34");
  EXPECT_EQ(p.mailbox[0], Rook);
  EXPECT_EQ(p.mailbox[4], King);
  EXPECT_EQ(p.mailbox[60], -King);
  EXPECT_EQ(p.mailbox[35], -Pawn);  // d5
  EXPECT_EQ(p.mailbox[36], Pawn);   // e5
  EXPECT_EQ(p.side, static_cast<std::uint32_t>(White));
  EXPECT_EQ(p.castleRights, WhiteKingSide | BlackQueenSide);
  EXPECT_EQ(p.epFile, 4);
  EXPECT_EQ(p.halfmoveClock, 12);
  EXPECT_EQ(p.fullmoveNumber, 34);
  EXPECT_EQ(p.endIndex, std::string("r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 12 34").size());
}

// Every field after the side to move may be missing; what is missing stays 0.
TEST(ParseFen, AcceptsShortAndTolerantForms) {
  struct Case {
    const char* text;
    std::uint32_t side;
    std::uint8_t rights, epFile;
    int halfmove, fullmove;
  };
  const Case cases[] = {
      {"8/8/8/8/8/8/8/8 w", White, 0, 0, 0, 0},
      {"8/8/8/8/8/8/8/8 b", Black, 0, 0, 0, 0},
      {"4k3/8/8/8/8/8/8/4K3 w KQkq", White, 15, 0, 0, 0},
      {"4k3/8/8/8/8/8/8/4K3 b - e3", Black, 0, 5, 0, 0},
      {"4k3/8/8/8/8/8/8/4K3 w - - - -", White, 0, 0, 0, 0},
      // Chess960 letters: a file at or right of the king is the king side.
      {"r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1", White, 15, 0, 0, 1},
      {"rkr5/8/8/8/8/8/8/RKR5 w CAca - 0 1", White, 15, 0, 0, 1},
      {"4k3/8/8/8/8/8/8/4K3 w E - 0 1", White, WhiteKingSide, 0, 0, 1},
      // Numbers are cut after three digits; the rest ends the reading.
      {"4k3/8/8/8/8/8/8/4K3 w - - 1234 56", White, 0, 0, 123, 0},
      {"4k3/8/8/8/8/8/8/4K3 w - - 99 9999", White, 0, 0, 99, 999},
      // At most four castling letters; a fifth ends the reading.
      {"4k3/8/8/8/8/8/8/4K3 w KQkqK - 5 5", White, 15, 0, 0, 0},
      // A '/' may close a short rank.
      {"4k/8/8/8/8/8/8/4K w - - 0 1", White, 0, 0, 0, 1},
  };
  for (const Case& c : cases) {
    const ParsedFen p = parsed(c.text);
    EXPECT_EQ(p.side, c.side) << c.text;
    EXPECT_EQ(p.castleRights, c.rights) << c.text;
    EXPECT_EQ(p.epFile, c.epFile) << c.text;
    EXPECT_EQ(p.halfmoveClock, c.halfmove) << c.text;
    EXPECT_EQ(p.fullmoveNumber, c.fullmove) << c.text;
  }
}

TEST(ParseFen, RejectsUnreadableText) {
  const char* cases[] = {
      "",
      "rnbqkbnr/ppppxppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // not a piece letter
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // 9 is not a count
      "rnbqkbnr/pppppppp/0/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "8/8/8/8/8/8/8/8/ w",                                        // '/' after the last rank
      "8/8/8/8/8/8/8/8/8 w",                                       // nine ranks
      "8/8/8/8/8/8/8/8w",                                          // no space after 64 squares
      "8/8/8/8/8/8/8/8",                                           // nothing after the placement
      "54/8/8/8/8/8/8/8 w",                                        // rank of nine squares
      "8p/8/8/8/8/8/8/8 w",
      "rnbqkbnrr/8/8/8/8/8/8/8 w",
      "8/8/8/8/8/8/8/8 x",                                         // side
      "8/8/8/8/8/8/8/8 W",
      "8/8/8/8/8/8/8/8  w",
      "4k3/8/8/8/8/8/8/4K3 w KX - 0 1",                            // castling letter
      "4k3/8/8/8/8/8/8/4K3 w K1 - 0 1",
      "4k3/8/8/8/8/8/8/4K3 w - e3 0 1",                            // en-passant rank against the side
      "4k3/8/8/8/8/8/8/4K3 b - e6 0 1",
      "4k3/8/8/8/8/8/8/4K3 w - i6 0 1",
      "4k3/8/8/8/8/8/8/4K3 w - e 0 1",
      "4k3/8/8/8/8/8/8/4K3 w - E6 0 1",
  };
  for (const char* text : cases) {
    ParsedFen p;
    EXPECT_FALSE(parseFen(text, p)) << '"' << text << '"';
  }
}

// Every reference position survives FEN out and in unchanged; the standard
// ones come back as the very same text.
TEST(BoardToFen, RoundTripsEveryReferencePosition) {
  for (const auto& ref : test::perftReferences()) {
    const ParsedFen p = parsed(ref.fen);
    const Board board = test::boardFromFen(ref.fen);
    const std::string written = boardToFen(board, p.fullmoveNumber);
    EXPECT_EQ(test::boardFromFen(written), board) << ref.fen << " -> " << written;
    EXPECT_EQ(boardToFen(test::boardFromFen(written), p.fullmoveNumber), written);
    if (!test::usesChess960Letters(ref.fen)) {
      EXPECT_EQ(written, ref.fen.substr(0, ref.fen.find_last_not_of(' ') + 1));
    }
  }
}

TEST(BoardToFen, WritesTheStartPosition) {
  Board b;
  setupStartPosition(b);
  EXPECT_EQ(boardToFen(b, 1), StartFen);
  EXPECT_EQ(boardToFen(test::boardFromFen("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 7 42"), 42),
            "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 7 42");
}

TEST(PrintBoard, DrawsTheDiagram) {
  Board b;
  setupStartPosition(b);
  const std::string sep = "|---|---|---|---|---|---|---|---|\n";
  const std::string empty = "|   |   |   |   |   |   |   |   |\n";
  const std::string expected = sep + "| r | n | b | q | k | b | n | r |\n" + sep + "| p | p | p | p | p | p | p | p |\n" +
                               sep + empty + sep + empty + sep + empty + sep + empty + sep +
                               "| P | P | P | P | P | P | P | P |\n" + sep + "| R | N | B | Q | K | B | N | R |\n" +
                               sep + "White to play\n";
  EXPECT_EQ(boardDiagram(b), expected);
}

TEST(PositionProblem, RejectsUnplayablePositions) {
  const char* cases[] = {
      "8/8/8/8/8/8/8/4K3 w - - 0 1",                            // no black king
      "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",                         // two white kings
      "4k3/8/8/8/8/8/8/P3K3 w - - 0 1",                         // pawn on the first rank
      "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                         // and on the last
      "4k3/8/8/8/8/8/PPPPPPPP/P3K3 w - - 0 1",                  // nine pawns
      "4k3/8/8/8/8/8/PPPPPPPP/QQ2K3 w - - 0 1",                 // a queen that no pawn became
      "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1",                        // Black, not to move, in check
  };
  for (const char* text : cases) {
    EXPECT_NE(positionProblem(test::boardFromFen(text)), nullptr) << text;
    Engine engine;
    const Board before = engine.board;
    EXPECT_FALSE(setPositionFromFen(engine, text)) << text;
    EXPECT_EQ(engine.board, before);
  }
  EXPECT_EQ(positionProblem(test::boardFromFen("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1")), nullptr);
  EXPECT_EQ(positionProblem(test::boardFromFen("QQQQk3/QQQQ4/8/8/8/8/8/4K3 b - - 0 1")), nullptr);
}

// Garbage, truncated, overlong and mutated strings, bytes >= 0x80 included,
// must be read or refused without touching memory outside the board; what
// is accepted must be a playable position.
TEST(ParseFen, SurvivesRandomAndMutatedText) {
  initBitboardTables();
  std::mt19937 rng(77);
  std::vector<std::string> seeds;
  for (const auto& ref : test::perftReferences()) seeds.push_back(ref.fen);
  const std::string alphabet = "12345678/ pnbrqkPNBRQKwb-KQkqabcdefghABCDEFGH0369";
  auto engine = std::make_unique<Engine>();
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string text = seeds[rng() % seeds.size()];
    switch (rng() % 6) {
      case 0:  // garbage of any bytes
        text.assign(rng() % 120, '\0');
        for (char& c : text) c = static_cast<char>(rng() % 256);
        break;
      case 1:  // truncated
        text.resize(rng() % (text.size() + 1));
        break;
      case 2:  // overlong: fields repeated, ranks added
        text += text.substr(rng() % text.size());
        break;
      default:  // a few characters replaced, inserted or deleted
        for (int n = 1 + static_cast<int>(rng() % 4); n > 0 && !text.empty(); --n) {
          const std::size_t at = rng() % text.size();
          const char c = rng() % 4 == 0 ? static_cast<char>(0x80 + rng() % 128) : alphabet[rng() % alphabet.size()];
          switch (rng() % 3) {
            case 0: text[at] = c; break;
            case 1: text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c); break;
            default: text.erase(at, 1); break;
          }
        }
    }
    ParsedFen p;
    if (parseFen(text, p)) {
      EXPECT_LE(p.endIndex, text.size());
      for (std::int8_t code : p.mailbox) ASSERT_TRUE(code >= -King && code <= King) << text;
    }
    if (!setPositionFromFen(*engine, text)) continue;
    ++accepted;
    const Board& b = engine->board;
    ASSERT_EQ(positionProblem(b), nullptr) << text;
    ASSERT_EQ(b, test::freshSetup(b)) << text;
    Board copy = b;
    countLeaves(copy, 2);  // generation, make and unmake on whatever came in
    ASSERT_EQ(copy, b) << text;
  }
  EXPECT_GT(accepted, 1000);
}

}  // namespace
}  // namespace talvik
