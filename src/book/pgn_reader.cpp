#include "book/pgn_reader.h"

#include <cstdio>
#include <cstring>

#include "base/logger.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "book/file_handle.h"
#include "book/san_parser.h"

namespace talvik {

namespace {

constexpr std::size_t MaxTokenLength = 1023;

}  // namespace

// Messages number games from 1: the reader's counter holds the games finished
// before the one being read.
std::string pgnErrorMessage(const PgnReader& reader, int code, const std::string& text) {
  char message[1400];
  const std::string shown = text.substr(0, 1100);
  switch (code) {
    case PgnFileNotFound:
      std::snprintf(message, sizeof message, "Chess PGN : File not found \"%s\"", shown.c_str());
      break;
    case PgnOutOfMemory:
      std::snprintf(message, sizeof message, "Chess PGN : Out of memory\n");
      break;
    case PgnUnreadableMove:
      std::snprintf(message, sizeof message, "Chess PGN : Error parsing move '%s' in game %d at ply %d, line %d",
                    shown.c_str(), reader.gameNumber + 1, reader.moveCounter, reader.lineNumber);
      break;
    case PgnIllegalMove:
      std::snprintf(message, sizeof message, "Chess PGN : Invalid move '%s' in game %d at ply %d, line %d",
                    shown.c_str(), reader.gameNumber + 1, reader.moveCounter, reader.lineNumber);
      break;
    case PgnInvalidFen:
      std::snprintf(message, sizeof message, "Chess PGN : Invalid FEN '%s' in game %d at line %d", shown.c_str(),
                    reader.gameNumber + 1, reader.lineNumber);
      break;
    default:
      std::snprintf(message, sizeof message, "Chess PGN : unknown error");
  }
  return message;
}

void PgnListener::onError(PgnReader& reader, int code, const std::string& text) {
  logError("%s", pgnErrorMessage(reader, code, text).c_str());
}

PgnReader::PgnReader(PgnListener& listener, unsigned options) : listener_(listener), options_(options) {
  initBitboardTables();
  setupStartPosition(board);
}

const std::string* PgnReader::tagValue(const std::string& name) const {
  for (const auto& [tagName, value] : tags)
    if (tagName == name) return &value;
  return nullptr;
}

bool PgnReader::parseFile(const std::string& fileName) {
  FilePtr file(std::fopen(fileName.c_str(), "rb"));
  if (!file) {
    listener_.onError(*this, PgnFileNotFound, fileName);
    return false;
  }
  beginInput();
  unsigned char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, file.get())) > 0;)
    for (std::size_t i = 0; i < n; ++i) feed(block[i]);
  endInput();
  return true;
}

void PgnReader::parseText(const std::string& text) {
  beginInput();
  for (char c : text) feed(static_cast<unsigned char>(c));
  endInput();
}

void PgnReader::beginInput() { listener_.onBeginFile(*this); }

void PgnReader::endInput() {
  // A last token not followed by white space still counts.
  if (state_ == State::MoveText) examineToken();
  state_ = State::BetweenTokens;
  if (!moves.empty() || !comments.empty()) finishGame();
  listener_.onEndFile(*this);
}

void PgnReader::feed(unsigned char byte) {
  if (byte == '\r') ++lineNumber;
  const char c = byte < ' ' ? ' ' : static_cast<char>(byte);
  switch (state_) {
    case State::BetweenTokens:
      betweenTokens(c);
      break;
    case State::Tag:
      if (c == '"') inQuotes_ = !inQuotes_;
      if (c == ']' && !inQuotes_)
        endTag();
      else if (token_.size() < MaxTokenLength)
        token_ += c;
      break;
    case State::Comment:
      if (c == '}')
        endComment();
      else if (token_.size() < MaxTokenLength)
        token_ += c;
      break;
    case State::SkippedComment:
      if (c == '}') state_ = State::BetweenTokens;
      break;
    case State::SkippedToken:
      if (c == ' ') state_ = State::BetweenTokens;
      break;
    case State::MoveText:
      if (c == ' ') {
        examineToken();
        state_ = State::BetweenTokens;
      } else if (c == '(' || c == ')') {
        token_.clear();  // a token glued to a parenthesis is dropped unread
        state_ = State::BetweenTokens;
        betweenTokens(c);
      } else if (token_.size() < MaxTokenLength) {
        token_ += c;
      }
      break;
  }
}

void PgnReader::betweenTokens(char c) {
  switch (c) {
    case ' ':
      return;
    case '(':
      ++variationDepth_;
      return;
    case ')':
      if (variationDepth_ > 0) --variationDepth_;
      return;
    case '[':
      if (!moves.empty() || !comments.empty()) {
        finishGame();
        ++gameNumber;
        sideToMoveInText = 1;
        moveCounter = 0;
        clearGame();
      }
      token_.clear();
      inQuotes_ = false;
      state_ = State::Tag;
      return;
    case '{':
      token_.clear();
      state_ = options_ & SkipComments ? State::SkippedComment : State::Comment;
      return;
    default:
      if (tagsPending_) processTags();
      if (options_ & SkipMoveText) {
        state_ = State::SkippedToken;
        return;
      }
      token_.assign(1, c);
      state_ = State::MoveText;
  }
}

void PgnReader::endTag() {
  state_ = State::BetweenTokens;
  std::string text;
  text.swap(token_);
  if (text.empty()) return;
  const std::size_t space = text.find(' ');
  std::string name = text.substr(0, space);
  std::string value;
  // The value sits between the quotes that follow the first space.
  if (space != std::string::npos && space + 2 <= text.size() - 1) value = text.substr(space + 2, text.size() - space - 3);
  tags.emplace_back(name, value);
  tagsPending_ = true;
  listener_.onTag(*this, tags.back().first, tags.back().second);
}

void PgnReader::endComment() {
  state_ = State::BetweenTokens;
  std::string text;
  text.swap(token_);
  if (text.empty()) return;
  comments.push_back(text);
  if (!moves.empty()) moves.back().commentRef = static_cast<std::uint16_t>(std::min<std::size_t>(comments.size(), 65535));
  listener_.onComment(*this, comments.back());
}

void PgnReader::examineToken() {
  std::string token;
  token.swap(token_);
  if (variationDepth_ > 0 || token.empty()) return;
  if (token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*") return;
  if (token[0] == '$') {
    int number = 0;
    for (std::size_t i = 1; i < token.size() && i < 10 && token[i] >= '0' && token[i] <= '9'; ++i)
      number = number * 10 + (token[i] - '0');
    listener_.onNag(*this, number);
    if (!(options_ & SkipGlyphs) && !moves.empty()) {
      for (std::uint8_t& glyph : moves.back().glyphs) {
        if (glyph == 0) {
          glyph = static_cast<std::uint8_t>(std::min(number, 255));
          break;
        }
      }
    }
    return;
  }
  const std::size_t dot = token.find('.');
  if (dot != std::string::npos) {
    // A move number: "12." White to move, "12..." Black; a move may follow the dots.
    std::size_t after = dot;
    while (after < token.size() && token[after] == '.') ++after;
    sideToMoveInText = after - dot >= 3 ? Black : White;
    if (after < token.size()) addMoveRecord(std::string_view(token).substr(after));
    return;
  }
  addMoveRecord(token);
}

void PgnReader::addMoveRecord(std::string_view san) {
  PgnMoveRecord record{};
  std::memcpy(record.text, san.data(), std::min<std::size_t>(san.size(), sizeof record.text));
  moves.push_back(record);
}

void PgnReader::processTags() {
  tagsPending_ = false;
  badStart_ = false;
  const std::string* fen = tagValue("FEN");
  if (!fen || fen->empty()) {
    setupStartPosition(board);
  } else {
    ParsedFen parsed;
    Board start{};
    bool ok = parseFen(*fen, parsed);
    if (ok) {
      setupBoard(start, parsed.mailbox, parsed.side, parsed.castleRights, parsed.epFile,
                 static_cast<std::uint8_t>(std::min(parsed.halfmoveClock, 255)));
      ok = positionProblem(start) == nullptr;
    }
    if (ok) {
      board = start;
    } else {
      // Replaying from a position the engine cannot play would only produce
      // garbage: the game is reported and skipped.
      logError("Invalid FEN string : '%s'", fen->c_str());
      listener_.onError(*this, PgnInvalidFen, *fen);
      badStart_ = true;
    }
  }
  listener_.onBeginGame(*this);
}

void PgnReader::finishGame() {
  bool stopped = false;
  if (!(options_ & SkipReplay) && !badStart_) {
    moveCounter = 0;
    // The first move belongs to the side to move in the game's start position.
    sideToMoveInText = static_cast<int>(board.sideToMove);
    for (const PgnMoveRecord& record : moves) {
      if (sideToMoveInText == Black) ++moveCounter;
      const std::string san(record.text, strnlen(record.text, sizeof record.text));
      const Move move = parseSan(board, san);
      if (move == NoMove) {
        listener_.onError(*this, PgnUnreadableMove, san);
        stopped = true;
        break;
      }
      UndoRecord undo;
      makeMove(board, move, undo);
      if (moverLeftKingAttacked(board)) {
        unmakeMove(board, move, undo);
        listener_.onError(*this, PgnIllegalMove, san);
        stopped = true;
        break;
      }
      playedMoves.push_back(move);
      const std::string* comment =
          record.commentRef > 0 && record.commentRef <= comments.size() ? &comments[record.commentRef - 1] : nullptr;
      listener_.onMove(*this, record, move, comment);
      sideToMoveInText ^= 1;
    }
  }
  listener_.onEndGame(*this, stopped || badStart_);
}

void PgnReader::clearGame() {
  tags.clear();
  comments.clear();
  moves.clear();
  playedMoves.clear();
  badStart_ = false;
}

}  // namespace talvik
