#include "book/san_parser.h"

#include "board/makemove.h"
#include "board/movegen.h"

namespace talvik {

namespace {

bool isFile(char c) { return c >= 'a' && c <= 'h'; }
bool isRank(char c) { return c >= '1' && c <= '8'; }

int pieceFromLetter(char c) {
  switch (c) {
    case 'N': return Knight;
    case 'B': return Bishop;
    case 'R': return Rook;
    case 'Q': return Queen;
    case 'K': return King;
    default: return NoPiece;
  }
}

// Strips an optional '+' or '#' and then up to two annotation characters
// ('!' and '?') from the end; false when anything else trails.
bool stripSuffix(std::string_view& text) {
  int annotations = 0;
  while (!text.empty() && (text.back() == '!' || text.back() == '?') && annotations < 2) {
    text.remove_suffix(1);
    ++annotations;
  }
  if (!text.empty() && (text.back() == '+' || text.back() == '#')) text.remove_suffix(1);
  return !text.empty();
}

Bitboard attackersOfType(const Board& board, int type, Square to, int us) {
  switch (type) {
    case Knight: return knightAttacks[to] & board.pieces(Knight, us);
    case Bishop: return bishopAttacks(to, board.occupied) & board.pieces(Bishop, us);
    case Rook: return rookAttacks(to, board.occupied) & board.pieces(Rook, us);
    case Queen: return queenAttacks(to, board.occupied) & board.pieces(Queen, us);
    default: return kingAttacks[to] & board.pieces(King, us);
  }
}

Move castleMove(const Board& board, bool queenSide) {
  const int us = static_cast<int>(board.sideToMove);
  const int wing = queenSide ? QueenSide : KingSide;
  return encodeMove(board.castleKingFrom[us], board.castleRookFrom[wing][us], King, NoPiece, NoPiece, CastleFlag);
}

Move pieceMove(const Board& board, int type, std::string_view body) {
  // body: [file][rank][x]square, the piece letter already removed.
  if (body.size() < 2) return NoMove;
  const char toFile = body[body.size() - 2], toRank = body[body.size() - 1];
  if (!isFile(toFile) || !isRank(toRank)) return NoMove;
  body.remove_suffix(2);
  if (!body.empty() && body.back() == 'x') body.remove_suffix(1);
  int fromFile = -1, fromRank = -1;
  if (!body.empty() && isFile(body.front())) {
    fromFile = body.front() - 'a';
    body.remove_prefix(1);
  }
  if (!body.empty() && isRank(body.front())) {
    fromRank = body.front() - '1';
    body.remove_prefix(1);
  }
  if (!body.empty()) return NoMove;

  const int us = static_cast<int>(board.sideToMove);
  const Square to = makeSquare(toFile - 'a', toRank - '1');
  if (board.colourBB[us] & squareMask[to]) return NoMove;
  Move fallback = NoMove;
  for (Bitboard candidates = attackersOfType(board, type, to, us); candidates;) {
    const Square from = popLowest(candidates);
    if ((fromFile >= 0 && fileOf(from) != fromFile) || (fromRank >= 0 && rankOf(from) != fromRank)) continue;
    const Move move = encodeMove(from, to, type, board.squareType[to]);
    if (!leavesKingAttacked(board, move)) return move;
    if (fallback == NoMove) fallback = move;  // illegal, but it is what the text names
  }
  return fallback;
}

Move pawnMove(const Board& board, std::string_view body) {
  const int us = static_cast<int>(board.sideToMove);
  const int forward = us == White ? 8 : -8;
  int promotion = NoPiece;
  // Promotion: "=Q" or "Q" after the target square, capital letters only.
  if (!body.empty() && pieceFromLetter(body.back()) != NoPiece && body.back() != 'K') {
    promotion = pieceFromLetter(body.back());
    body.remove_suffix(1);
    if (!body.empty() && body.back() == '=') body.remove_suffix(1);
  }
  if (body.size() == 2 && isFile(body[0]) && isRank(body[1])) {
    const Square to = makeSquare(body[0] - 'a', body[1] - '1');
    if (board.occupied & squareMask[to]) return NoMove;
    const Bitboard pawns = board.pieces(Pawn, us);
    Square from = to - forward;
    if (from < 0 || from > 63) return NoMove;
    if (!(pawns & squareMask[from])) {
      const int doubleRank = us == White ? 3 : 4;
      if (rankOf(to) != doubleRank || (board.occupied & squareMask[from])) return NoMove;
      from -= forward;
    }
    if (!(pawns & squareMask[from])) return NoMove;
    return encodeMove(from, to, Pawn, NoPiece, promotion);
  }
  if (body.size() == 4 && isFile(body[0]) && body[1] == 'x' && isFile(body[2]) && isRank(body[3])) {
    const Square to = makeSquare(body[2] - 'a', body[3] - '1');
    const Bitboard origins = pawnAttacks[us ^ 1][to] & board.pieces(Pawn, us) & fileBB(body[0] - 'a');
    if (!origins) return NoMove;
    const Square from = lowestSquare(origins);
    if (board.colourBB[us ^ 1] & squareMask[to]) return encodeMove(from, to, Pawn, board.squareType[to], promotion);
    if (board.epFile == fileOf(to) + 1 && !(board.occupied & squareMask[to]))
      return encodeMove(from, to, Pawn, Pawn, NoPiece, EnPassantFlag);
    return NoMove;
  }
  return NoMove;
}

}  // namespace

Move parseSan(const Board& board, std::string_view san) {
  if (!stripSuffix(san)) return NoMove;
  Move move = NoMove;
  if (san == "O-O" || san == "0-0")
    move = castleMove(board, false);
  else if (san == "O-O-O" || san == "0-0-0")
    move = castleMove(board, true);
  else if (pieceFromLetter(san.front()) != NoPiece)
    move = pieceMove(board, pieceFromLetter(san.front()), san.substr(1));
  else if (isFile(san.front()))
    move = pawnMove(board, san);
  return isPseudoLegal(board, move) ? move : NoMove;
}

}  // namespace talvik
