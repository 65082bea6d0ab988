#include "tools/eval_suite.h"

#include <cstdio>
#include <cstdlib>

#include "base/logger.h"
#include "eval/evaluate.h"
#include "search/engine.h"
#include "search/game.h"
#include "tools/line_reader.h"
#include "tools/tool_report_sink.h"

namespace talvik {

namespace {

void blankControlCharacters(std::string& line) {
  for (char& c : line)
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
}

}  // namespace

int runEvalSuite(Engine& engine, const std::string& fileName) {
  LineReader reader(fileName, 511);
  if (!reader.isOpen()) {
    logError("file not found : %s", fileName.c_str());
    return 0;
  }
  const std::uint64_t start = wallClockUs();
  unsigned lines = 0;
  std::string line;
  PawnHashTable& pawnHash = engine.pool.mainThread->pawnHash;
  while (reader.next(line)) {
    if (line.size() < 2) continue;
    blankControlCharacters(line);
    ++lines;
    if (!setPositionFromFen(engine, line)) continue;
    const Board& board = engine.board;
    const int balance = board.material[White] - board.material[Black];
    const int material = board.sideToMove == White ? balance : -balance;
    const int score = std::abs(material) <= 32325 ? evaluate(engine.evalContext, board, pawnHash) : material;
    std::printf("%s ; eval %d\n", line.c_str(), score);
  }
  const std::uint64_t elapsed = wallClockUs() - start;
  std::printf("\nTime : %s\n", durationText(elapsed).c_str());
  std::printf("Speed : %d eval/s\n", static_cast<int>(lines * 1000000ull / speedDivisor(elapsed)));
  std::fflush(stdout);
  return 1;
}

bool checkFenSyntax(std::string_view line) {
  int state = 0, followUp = 0, rank = 7, files = 0, digits = 0;
  int counts[2][7] = {};
  bool epFileSeen = false, lastWasEpFile = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    switch (state) {
      case 0: {  // piece placement
        int type = NoPiece, colour = White;
        switch (c) {
          case 'P': type = Pawn; break;
          case 'N': type = Knight; break;
          case 'B': type = Bishop; break;
          case 'R': type = Rook; break;
          case 'Q': type = Queen; break;
          case 'K': type = King; break;
          case 'p': type = Pawn, colour = Black; break;
          case 'n': type = Knight, colour = Black; break;
          case 'b': type = Bishop, colour = Black; break;
          case 'r': type = Rook, colour = Black; break;
          case 'q': type = Queen, colour = Black; break;
          case 'k': type = King, colour = Black; break;
          default: break;
        }
        if (type != NoPiece) {
          const int count = ++counts[colour][type];
          if (type == Pawn && (count > 8 || rank == 0 || rank == 7)) return false;
          if (type == King && count > 1) return false;
          if (type != Pawn && type != King && count > 9) return false;
          if (files >= 8 || rank < 0) return false;
          ++files;
        } else if (c >= '1' && c <= '8') {
          files += c - '0';
          if (files > 8) return false;
        } else if (c == '/') {
          --rank;
          files = 0;
          break;
        } else if (c == ' ') {
          state = 3;
          break;
        } else {
          return false;
        }
        if (files == 8) {
          if (rank == 0) {
            state = 2;
            followUp = 3;
          } else {
            state = 1;
          }
        }
        break;
      }
      case 1:  // end of a rank
        if (c == '/') {
          --rank;
          files = 0;
          state = 0;
        } else if (c == ' ') {
          state = 3;
        } else {
          return false;
        }
        break;
      case 2:  // one separating space
        if (c != ' ') return false;
        state = followUp;
        break;
      case 3:  // side to move
        if (c != 'w' && c != 'b') return false;
        state = 2;
        followUp = 5;
        break;
      case 5:  // castling
        if (c == ' ')
          state = 6;
        else if (c != '-' && c != 'K' && c != 'Q' && c != 'k' && c != 'q')
          return false;
        break;
      case 6:  // en passant
        if (c == ' ') {
          state = 7;
          digits = 0;
        } else if (c >= 'a' && c <= 'h' && !epFileSeen) {
          epFileSeen = true;
          lastWasEpFile = true;
          continue;
        } else if (c >= '1' && c <= '8' && lastWasEpFile) {
        } else if (c != '-' && c != ';') {
          return false;
        }
        break;
      case 7:  // halfmove clock
      case 8:  // fullmove number
        if (c == ' ') {
          state = state == 7 ? 8 : 9;
          digits = 0;
        } else if (c >= '0' && c <= '9') {
          if (++digits > 30) return false;
        } else {
          state = 9;  // anything else: the rest of the line is accepted
        }
        break;
      default:
        break;
    }
    lastWasEpFile = false;
  }
  return state >= 7;
}

int runCheckFenSuite(const std::string& fileName) {
  LineReader reader(fileName, 511);
  if (!reader.isOpen()) {
    logError("file not found : %s", fileName.c_str());
    return 0;
  }
  std::printf("Check FEN suite : '%s'\n", fileName.c_str());
  unsigned lines = 0, valid = 0;
  std::string line;
  while (reader.next(line)) {
    if (line.size() < 2) continue;
    blankControlCharacters(line);
    ++lines;
    // The line end, blanked like every control character, ends the last field.
    if (checkFenSyntax(line + " "))
      ++valid;
    else
      std::printf("Invalid FEN String : '%s'\n", line.c_str());
  }
  std::printf("Checked %u / %u valid FEN string\n", valid, lines);
  std::fflush(stdout);
  return 1;
}

}  // namespace talvik
