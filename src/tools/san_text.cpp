#include "tools/san_text.h"

namespace talvik {

std::string suiteSanText(Move move, const MoveEntry* generated, int count) {
  if (isCastle(move)) return moveTo(move) < moveFrom(move) ? "O-O-O" : "O-O";
  static const char* letters = "  NBRQK";
  const Square from = moveFrom(move), to = moveTo(move);
  const int piece = movePiece(move);
  std::string text;
  if (piece != Pawn) text += letters[piece];
  if (piece != Pawn && piece != King) {
    bool addFile = false, addRank = false;
    for (int i = 0; i < count; ++i) {
      const Move other = generated[i].move;
      if (movePiece(other) != piece || moveTo(other) != to || moveFrom(other) == from || isCastle(other)) continue;
      if (fileOf(moveFrom(other)) == fileOf(from))
        addRank = true;
      else if (rankOf(moveFrom(other)) == rankOf(from))
        addFile = true;
      else if (!addRank)
        addFile = true;
    }
    if (addFile) text += static_cast<char>('a' + fileOf(from));
    if (addRank) text += static_cast<char>('1' + rankOf(from));
  }
  if (isCapture(move)) {
    if (piece == Pawn) text += static_cast<char>('a' + fileOf(from));
    text += 'x';
  }
  text += static_cast<char>('a' + fileOf(to));
  text += static_cast<char>('1' + rankOf(to));
  if (isPromotion(move)) {
    text += '=';
    text += letters[movePromotion(move)];
  }
  return text;
}

}  // namespace talvik
