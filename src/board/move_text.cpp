#include "board/move_text.h"

namespace talvik {

namespace {

void appendSquare(std::string& text, Square sq) {
  text += static_cast<char>('a' + fileOf(sq));
  text += static_cast<char>('1' + rankOf(sq));
}

}  // namespace

std::string moveToCoordinate(Move move, bool chess960) {
  if (move == NoMove) return "0000";
  std::string text;
  appendSquare(text, moveFrom(move));
  Square to = moveTo(move);
  if (isCastle(move) && !chess960) {
    switch (to) {
      case 7: to = 6; break;    // h1 -> g1
      case 0: to = 2; break;    // a1 -> c1
      case 63: to = 62; break;  // h8 -> g8
      case 56: to = 58; break;  // a8 -> c8
      default: break;
    }
  }
  appendSquare(text, to);
  if (isPromotion(move)) text += PieceLetters[movePromotion(move)];
  return text;
}

std::string movesToText(const Move* moves, int count, bool chess960) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += ' ';
    text += moveToCoordinate(moves[i], chess960);
  }
  return text;
}

std::string moveToDisplayText(Move move) {
  if (move == NoMove) return "";
  if (isCastle(move)) return fileOf(moveFrom(move)) < fileOf(moveTo(move)) ? "O-O" : "O-O-O";
  static const char* letters = "  NBRQK";
  std::string text;
  if (movePiece(move) != Pawn) text += letters[movePiece(move)];
  appendSquare(text, moveFrom(move));
  text += isCapture(move) ? 'x' : '-';
  appendSquare(text, moveTo(move));
  if (isEnPassant(move)) text += "e.p";
  if (isPromotion(move)) {
    text += '=';
    text += letters[movePromotion(move)];
  }
  return text;
}

}  // namespace talvik
