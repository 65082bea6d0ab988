#include "search/game.h"

#include "base/logger.h"
#include "board/fen.h"
#include "board/movegen.h"

namespace talvik {

namespace {

bool isFileChar(char c) { return c >= 'a' && c <= 'h'; }
bool isRankChar(char c) { return c >= '1' && c <= '8'; }
// Moves are separated by blanks; a line end or tab left on the text by a GUI
// separates too instead of spoiling the last move.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The move word of a king move, pawn move or castling written in coordinates.
Move buildMove(const Board& board, Square from, Square to, int promotion, bool chess960) {
  const int us = static_cast<int>(board.sideToMove);
  const int piece = board.squareType[from];
  Move flags = 0;
  int captured = board.squareType[to];
  if (piece == Pawn && fileOf(from) != fileOf(to) && captured == NoPiece && board.epFile) {
    flags = EnPassantFlag;
    captured = Pawn;
  }
  if (piece == King && from == board.castleKingFrom[us]) {
    // Standard notation writes castling as the king's destination. Only a
    // king that still has the right reads it so: without the right, a step to
    // g1 or c1 (a Chess960 king on f1 or b1) is an ordinary king move.
    const Square base = us == White ? 0 : 56;
    const std::uint8_t kingSide = us == White ? WhiteKingSide : BlackKingSide;
    const std::uint8_t queenSide = us == White ? WhiteQueenSide : BlackQueenSide;
    if (!chess960 && to == base + 6 && (board.castleRights & kingSide)) {
      to = board.castleRookFrom[KingSide][us];
      captured = board.squareType[to];
    } else if (!chess960 && to == base + 2 && (board.castleRights & queenSide)) {
      to = board.castleRookFrom[QueenSide][us];
      captured = board.squareType[to];
    }
    if ((board.pieces(Rook, us) & squareMask[to]) &&
        (to == board.castleRookFrom[KingSide][us] || to == board.castleRookFrom[QueenSide][us])) {
      flags = CastleFlag;
      captured = NoPiece;
    }
  }
  return encodeMove(from, to, piece, captured, promotion, flags);
}

void reportIllegal(Engine& engine, std::string_view token) {
  char message[64];
  std::snprintf(message, sizeof message, "Illegal move: %.*s", static_cast<int>(token.size()), token.data());
  engine.reportSink->reportMessage(message);
  logMessage(LogError, "%s", message);
}

}  // namespace

bool setPositionFromFen(Engine& engine, std::string_view text, const char** reason) {
  ParsedFen parsed;
  Board board;
  const char* problem = "the FEN cannot be read";
  if (parseFen(text, parsed)) {
    setupBoard(board, parsed.mailbox, parsed.side, parsed.castleRights, parsed.epFile,
               static_cast<std::uint8_t>(std::min(parsed.halfmoveClock, 255)));
    problem = positionProblem(board);
  }
  if (problem != nullptr) {
    logError("Invalid FEN string : '%.*s'", static_cast<int>(std::min<std::size_t>(text.size(), 4000)), text.data());
    if (reason != nullptr) *reason = problem;
    return false;
  }
  engine.startFullmove = parsed.fullmoveNumber;
  engine.repCount = 0;
  engine.gameMoves.clear();
  engine.gameUndo.clear();
  engine.board = board;
  return true;
}

Move parseCoordinateMove(const Board& board, std::string_view text, bool chess960) {
  const int us = static_cast<int>(board.sideToMove);
  Move move = NoMove;
  if (text == "O-O" || text == "O-O-O") {
    const int wing = text.size() == 5 ? QueenSide : KingSide;
    move = encodeMove(board.castleKingFrom[us], board.castleRookFrom[wing][us], King, NoPiece, NoPiece, CastleFlag);
  } else {
    if (text.size() < 4 || text.size() > 5 || !isFileChar(text[0]) || !isRankChar(text[1]) || !isFileChar(text[2]) ||
        !isRankChar(text[3]))
      return NoMove;
    int promotion = NoPiece;
    if (text.size() == 5) {
      switch (text[4]) {
        case 'q': promotion = Queen; break;
        case 'r': promotion = Rook; break;
        case 'b': promotion = Bishop; break;
        case 'n': promotion = Knight; break;
        default: return NoMove;
      }
    }
    move = buildMove(board, makeSquare(text[0] - 'a', text[1] - '1'), makeSquare(text[2] - 'a', text[3] - '1'),
                     promotion, chess960);
  }
  if (!isPseudoLegal(board, move) || leavesKingAttacked(board, move)) return NoMove;
  return move;
}

bool playMoveText(Engine& engine, std::string_view text) {
  std::size_t pos = 0;
  while (true) {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
    if (pos >= text.size()) return true;
    std::size_t end = pos;
    while (end < text.size() && !isBlank(text[end])) ++end;
    const std::string_view token = text.substr(pos, end - pos);
    const Move move = parseCoordinateMove(engine.board, token, engine.chess960 != 0);
    if (move == NoMove) {
      // Quote four characters, or five when the token has a fifth.
      reportIllegal(engine, token.substr(0, 5));
      return false;
    }
    engine.playMove(move);
    pos = end;
  }
}

std::string gameFen(const Engine& engine) { return boardToFen(engine.board, engine.fullmoveNumber()); }

}  // namespace talvik
