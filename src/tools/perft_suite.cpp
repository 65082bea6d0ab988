#include "tools/perft_suite.h"

#include <cstdio>
#include <fstream>

#include "base/config.h"
#include "base/logger.h"
#include "base/output.h"
#include "search/engine.h"
#include "search/game.h"
#include "tools/perft.h"

namespace talvik {

namespace {

constexpr std::size_t MaxFields = 16;
constexpr std::size_t MaxFieldLength = 511;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::vector<std::string> scanCountFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  // 0: before ';'  1: before 'D'  2: depth digits  3: count digits
  int state = 0;
  const auto endField = [&] {
    if (fields.size() < MaxFields) fields.push_back(field);
    field.clear();
  };
  const auto keep = [&](char c) {
    if (field.size() < MaxFieldLength) field += c;
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    // Control characters (the line end among them) read as blanks.
    const char c = static_cast<unsigned char>(line[i]) < ' ' ? ' ' : line[i];
    switch (state) {
      case 0:
        if (c == ';') state = 1;
        break;
      case 1:
        if (c == 'D' || c == 'd') {
          field.assign(1, c);
          state = 2;
        }
        break;
      case 2:
        if (isDigit(c)) keep(c);
        if (c == ' ') {
          keep(c);
          state = 3;
        }
        break;
      default:
        if (isDigit(c)) keep(c);
        if (c == ' ' || c == ';') {
          endField();
          state = c == ';' ? 1 : 0;
        }
        break;
    }
    if (state == 3 && i + 1 == line.size()) endField();
  }
  return fields;
}

std::string expectedCountText(const std::vector<std::string>& fields, int depth) {
  for (const std::string& field : fields) {
    const std::size_t space = field.find(' ');
    if (space == std::string::npos) continue;
    if (parseDecimal(field.substr(1, space - 1)) == depth) return field.substr(space + 1);
  }
  return "";
}

PerftSuiteScore scorePerftSuite(Engine& engine, const std::string& fileName, int depth) {
  PerftSuiteScore score;
  std::ifstream file(fileName);
  if (!file) return score;
  score.opened = true;
  std::string line;
  while (std::getline(file, line)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    ++score.total;
    const std::string expected = expectedCountText(scanCountFields(line), perftDepth(depth));
    // The FEN is the text before the first field; a line whose position
    // cannot be set up fails rather than reusing the previous position.
    if (expected.empty() || !setPositionFromFen(engine, line.substr(0, line.find(';')))) continue;
    char counted[24];
    std::snprintf(counted, sizeof counted, "%llu", static_cast<unsigned long long>(perftCount(engine.board, depth)));
    if (expected == counted) ++score.passed;
  }
  return score;
}

int runPerftSuite(Engine& engine, const std::string& fileName, int depth) {
  engine.initialise(engine.settings.hashMb);
  engine.newGame();
  const PerftSuiteScore score = scorePerftSuite(engine, fileName, depth);
  if (!score.opened) {
    logError("file not found : %s", fileName.c_str());
    return 0;
  }
  char text[64];
  std::snprintf(text, sizeof text, "score = %d / %d\n", score.passed, score.total);
  writeStandardOutput(text);
  return 1;
}

}  // namespace talvik
