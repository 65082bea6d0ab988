#include "support/san_writer.h"

#include "board/movegen.h"

namespace talvik::test {

std::string toSan(const Board& board, Move move) {
  if (isCastle(move)) return moveTo(move) > moveFrom(move) ? "O-O" : "O-O-O";
  const Square from = moveFrom(move), to = moveTo(move);
  std::string san;
  const int piece = movePiece(move);
  if (piece != Pawn) {
    san += "  NBRQK"[piece];
    MoveList list;
    const int n = generateLegal(board, list.entries, sideToMoveInCheck(board));
    bool clash = false, sameFile = false, sameRank = false;
    for (int i = 0; i < n; ++i) {
      const Move other = list.entries[i].move;
      if (other == move || movePiece(other) != piece || moveTo(other) != to || isCastle(other)) continue;
      clash = true;
      sameFile |= fileOf(moveFrom(other)) == fileOf(from);
      sameRank |= rankOf(moveFrom(other)) == rankOf(from);
    }
    if (clash && (!sameFile || sameRank)) san += static_cast<char>('a' + fileOf(from));
    if (clash && sameFile) san += static_cast<char>('1' + rankOf(from));
  } else if (isCapture(move)) {
    san += static_cast<char>('a' + fileOf(from));
  }
  if (isCapture(move)) san += 'x';
  san += static_cast<char>('a' + fileOf(to));
  san += static_cast<char>('1' + rankOf(to));
  if (isPromotion(move)) {
    san += '=';
    san += "  NBRQK"[movePromotion(move)];
  }
  return san;
}

}  // namespace talvik::test
