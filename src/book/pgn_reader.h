// A PGN reader written for large collections: it reads the file character by
// character, splits it into tags, comments, variations, glyphs and move text,
// and replays each game's main line on its own board. An unreadable move ends
// that game only; reading goes on with the next one.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

class PgnReader;

// One main-line move as written in the file.
struct PgnMoveRecord {
  char text[8];               // the SAN as written, NUL-padded (first eight characters)
  std::uint16_t commentRef;   // 1 + index of the comment that follows the move, 0 for none
  std::uint16_t reserved;
  std::uint8_t glyphs[4];     // the first four glyphs after the move, 0 for none
};

enum PgnErrorCode : int {
  PgnFileNotFound = 0,
  PgnOutOfMemory = 1,
  PgnUnreadableMove = 2,
  PgnIllegalMove = 3,
  PgnInvalidFen = 4,
};

class PgnListener {
 public:
  virtual ~PgnListener() = default;
  virtual void onBeginFile(PgnReader& reader) { (void)reader; }
  virtual void onEndFile(PgnReader& reader) { (void)reader; }
  // After a game's tag section, once its start position is set.
  virtual void onBeginGame(PgnReader& reader) { (void)reader; }
  // After a game's moves were replayed; `stoppedOnError` when a move failed.
  virtual void onEndGame(PgnReader& reader, bool stoppedOnError) { (void)reader, (void)stoppedOnError; }
  // After each main-line move has been made on the reader's board.
  virtual void onMove(PgnReader& reader, const PgnMoveRecord& record, Move move, const std::string* comment) {
    (void)reader, (void)record, (void)move, (void)comment;
  }
  virtual void onComment(PgnReader& reader, const std::string& text) { (void)reader, (void)text; }
  virtual void onTag(PgnReader& reader, const std::string& name, const std::string& value) {
    (void)reader, (void)name, (void)value;
  }
  virtual void onNag(PgnReader& reader, int number) { (void)reader, (void)number; }
  // Default: writes the error's message to the log at the error level.
  virtual void onError(PgnReader& reader, int code, const std::string& text);
};

// The message of an error code, formatted with the reader's position.
std::string pgnErrorMessage(const PgnReader& reader, int code, const std::string& text);

class PgnReader {
 public:
  enum Options : unsigned {
    SkipComments = 1,
    SkipMoveText = 2,
    SkipGlyphs = 4,
    SkipReplay = 8,
  };

  explicit PgnReader(PgnListener& listener, unsigned options = 0);

  // Reads a whole file; false when it cannot be opened.
  bool parseFile(const std::string& fileName);
  // Reads PGN text held in memory (the same machine as parseFile).
  void parseText(const std::string& text);

  // State a listener may read.
  Board board{};
  int gameNumber = 0;        // games finished so far
  int moveCounter = 0;       // per game: +1 before each Black move
  int lineNumber = 0;        // carriage returns seen so far
  int sideToMoveInText = 1;  // side of the next move in the move text
  std::vector<std::pair<std::string, std::string>> tags;
  std::vector<std::string> comments;
  std::vector<PgnMoveRecord> moves;
  std::vector<Move> playedMoves;

  const std::string* tagValue(const std::string& name) const;

 private:
  // LineComment: from ';' to the end of the line. SkippedLine: a '%' escape
  // line, or a ';' comment when comments are skipped.
  enum class State { BetweenTokens, Tag, Comment, LineComment, MoveText, SkippedComment, SkippedToken, SkippedLine };

  void beginInput();
  void feed(unsigned char c);
  void endInput();
  void betweenTokens(char c);
  void endTag();
  void endComment();
  void endMoveToken(char c);
  void examineToken();
  void addMoveRecord(std::string_view san);
  void processTags();
  void finishGame();
  void clearGame();

  PgnListener& listener_;
  unsigned options_;
  State state_ = State::BetweenTokens;
  std::string token_;
  bool inQuotes_ = false;
  bool tagsPending_ = false;
  bool moveTextBegun_ = false;  // the game's tag section has ended: the next '[' starts another game
  bool lineStart_ = true;       // the next character is the first of a line
  bool badStart_ = false;  // the game's FEN tag was unusable: its moves are not replayed
  int variationDepth_ = 0;
};

}  // namespace talvik
