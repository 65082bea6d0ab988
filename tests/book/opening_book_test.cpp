#include "book/opening_book.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "board/move_text.h"
#include "book/book_file.h"
#include "book/polyglot_file.h"
#include "book/polyglot_key.h"
#include "search/engine.h"

namespace talvik {
namespace {

namespace fs = std::filesystem;

// What the search driver asks the book for the engine's position.
Move probeEngineBook(const Engine& engine) {
  return probeBook(engine.bookEntries, engine.polyglotEntries, engine.board, engine.chess960 != 0,
                   engine.bookSelectivity, libraryRandom);
}

std::string tempFile(const std::string& name) {
  return (fs::temp_directory_path() / ("talvik_" + std::to_string(::getpid()) + "_" + name)).string();
}

void writeBytes(const std::string& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string header(std::uint32_t version, std::uint32_t count) {
  std::string h = "BOOK";
  for (std::uint32_t v : {version, count})
    for (int i = 0; i < 4; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
  return h;
}

// Polyglot entries as file bytes.
std::string polyglotBytes(const std::vector<PolyglotEntry>& entries) {
  std::string bytes;
  unsigned char entry[PolyglotEntrySize];
  for (const PolyglotEntry& e : entries) {
    encodePolyglotEntry(e, entry);
    bytes.append(reinterpret_cast<const char*>(entry), sizeof entry);
  }
  return bytes;
}

TEST(BookFile, EntriesAreLittleEndianFieldByField) {
  const BookEntry entry{0x0102030405060708ull, 0x0A0B0C0Du, 0x1112, 0x2122};
  unsigned char bytes[16];
  encodeBookEntry(entry, bytes);
  const unsigned char expected[16] = {8, 7, 6, 5, 4, 3, 2, 1, 0x0D, 0x0C, 0x0B, 0x0A, 0x12, 0x11, 0x22, 0x21};
  EXPECT_EQ(std::memcmp(bytes, expected, 16), 0);
  const BookEntry back = decodeBookEntry(bytes);
  EXPECT_EQ(back.key, entry.key);
  EXPECT_EQ(back.move, entry.move);
  EXPECT_EQ(back.count, entry.count);
  EXPECT_EQ(back.points, entry.points);
}

TEST(OpeningBook, HeaderTruncationAndFormatRules) {
  Engine engine;
  engine.initialise(1);
  const std::uint64_t start = polyglotKey(engine.board);
  const std::uint16_t e4 = 4 | 3 << 3 | 4 << 6 | 1 << 9, d4 = 3 | 3 << 3 | 3 << 6 | 1 << 9;
  const std::string sorted = polyglotBytes({{start - 5, d4, 1, 0}, {start, e4, 3, 0}, {start, d4, 2, 0}});
  std::mt19937 generator(7);
  std::string random(4096, '\0');
  for (char& c : random) c = static_cast<char>(generator());
  struct Case {
    const char* name;
    std::string bytes;
    bool loads;
    std::size_t entries;          // of Talvik's format
    std::size_t polyglotEntries;
    const char* move;             // the book's move in the start position, "" for none
  };
  const std::string oneEntry(16, '\x01');
  const Case cases[] = {
      {"count zero", header(BookVersion, 0), true, 0, 0, ""},
      {"version one", header(0x00010000, 0), false, 0, 0, ""},
      {"bad magic", "KOOB" + header(BookVersion, 0).substr(4), false, 0, 0, ""},
      {"short header", "BOO", false, 0, 0, ""},
      {"truncated", header(BookVersion, 3) + oneEntry + oneEntry.substr(0, 7), true, 1, 0, ""},
      {"huge declared count", header(BookVersion, 0xFFFFFFFFu) + oneEntry, true, 1, 0, ""},
      // Without "BOOK" a file is read as a Polyglot book.
      {"polyglot", sorted, true, 0, 3, "e2e4"},
      {"truncated polyglot", sorted + std::string(7, '\x01'), true, 0, 3, "e2e4"},
      {"polyglot equal keys only", polyglotBytes({{start, d4, 2, 0}, {start, d4, 2, 0}}), true, 0, 2, "d2d4"},
      {"talvik after polyglot", header(BookVersion, 0), true, 0, 0, ""},
      {"empty", "", false, 0, 0, ""},
      {"15 bytes", std::string(15, '\x02'), false, 0, 0, ""},
      {"unsorted", polyglotBytes({{start, e4, 3, 0}, {start - 5, d4, 1, 0}}), false, 0, 0, ""},
      {"random", random, false, 0, 0, ""},
  };
  for (const Case& c : cases) {
    const std::string file = tempFile("book.bin");
    writeBytes(file, c.bytes);
    EXPECT_EQ(loadBook(engine, file), c.loads) << c.name;
    EXPECT_EQ(engine.ownBook != 0, c.loads) << c.name;
    if (c.loads) {
      EXPECT_EQ(engine.bookEntries.size(), c.entries) << c.name;
      EXPECT_EQ(engine.polyglotEntries.size(), c.polyglotEntries) << c.name;
      engine.newGame();
      const Move move = probeEngineBook(engine);
      EXPECT_EQ(move == NoMove ? "" : moveToCoordinate(move, false), c.move) << c.name;
    }
    fs::remove(file);
  }
  EXPECT_FALSE(loadBook(engine, tempFile("missing.bin")));
  EXPECT_EQ(engine.ownBook, 0);
}

TEST(OpeningBook, SelectivityChoosesAmongAPositionsMoves) {
  Engine engine;
  engine.initialise(1);
  const std::uint64_t key = engine.board.hashKey;
  const Move e4 = encodeMove(12, 28, Pawn), d4 = encodeMove(11, 27, Pawn);
  engine.bookEntries = {{key - 1, e4, 1, 1}, {key, e4, 5, 10}, {key, d4, 3, 4}, {key + 1, d4, 1, 1}};
  engine.bookSelectivity = 100;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(probeEngineBook(engine), e4);
  engine.bookSelectivity = 1;
  int d4Count = 0;
  for (int i = 0; i < 400; ++i) d4Count += probeEngineBook(engine) == d4;
  EXPECT_GT(d4Count, 300);  // the first entry is drawn with probability 1%, else the last one
  engine.board.hashKey ^= 0x55;
  EXPECT_EQ(probeEngineBook(engine), NoMove);
}

TEST(OpeningBook, PolyglotBookIsNeverAskedInChess960) {
  Engine engine;
  engine.initialise(1);
  engine.polyglotEntries = {{polyglotKey(engine.board), 4 | 3 << 3 | 4 << 6 | 1 << 9, 1, 0}};
  engine.bookSelectivity = 100;
  EXPECT_NE(probeEngineBook(engine), NoMove);
  engine.chess960 = 1;
  EXPECT_EQ(probeEngineBook(engine), NoMove);
}

}  // namespace
}  // namespace talvik
