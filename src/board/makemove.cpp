#include "board/makemove.h"

namespace talvik::detail {

namespace {

inline void togglePiece(Board& b, int colour, int type, Square sq) {
  const Bitboard bit = squareMask[sq];
  b.occupied ^= bit;
  b.colourBB[colour] ^= bit;
  b.pieceBB[pieceIndex(type, colour)] ^= bit;
}
inline void putPiece(Board& b, int colour, int type, Square sq) {
  togglePiece(b, colour, type, sq);
  b.squareType[sq] = static_cast<std::uint8_t>(type);
}
inline void removePiece(Board& b, int colour, int type, Square sq) {
  togglePiece(b, colour, type, sq);
  b.squareType[sq] = NoPiece;
}

// Castling is stored as the king taking its own rook. The king ends on the g-
// or c-file and the rook on the f- or d-file of the mover's back rank; the
// king-side wing is the one whose rook lies above the king. In Chess960 the
// king may already stand on its destination, or the rook on its own.
struct CastleSquares {
  Square kingTo;
  Square rookTo;
};
inline CastleSquares castleSquares(int colour, Square kingFrom, Square rookFrom) {
  const Square base = colour == White ? 0 : 56;
  return kingFrom < rookFrom ? CastleSquares{base + 6, base + 5} : CastleSquares{base + 2, base + 3};
}

// Square of the captured piece: the target, or behind it for en passant.
inline Square capturedSquare(Move m, int us) {
  return isEnPassant(m) ? moveTo(m) + epCaptureOffset[us] : moveTo(m);
}

}  // namespace

void makeSpecialMove(Board& b, Move m, const UndoRecord& undo) {
  const int us = static_cast<int>(b.sideToMove), them = us ^ 1;
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m), captured = moveCaptured(m), promotion = movePromotion(m);
  const Square dest = isCastle(m) ? castleSquares(us, from, to).kingTo : to;
  std::uint64_t key = b.hashKey;

  if (piece == Pawn || captured)
    b.halfmoveClock = 0;
  else
    tickHalfmoveClock(b);

  // The mover leaves first, so that castling works whatever squares the king
  // and rook share with their destinations.
  removePiece(b, us, piece, from);

  if (captured) {
    const Square capSq = capturedSquare(m, us);
    b.materialSig -= materialUnit(captured, them);
    b.material[them] -= pieceValue[captured];
    b.phase[them] -= phaseWeight[captured];
    removePiece(b, them, captured, capSq);
    key ^= pieceKey[them][captured][capSq];
    if (captured == Pawn)
      b.pawnKey ^= pieceKey[them][Pawn][capSq];
    else if (captured == Rook)
      dropRookRight(b, them, capSq);
  }

  if (piece == King) {
    if (isCastle(m)) {
      const Square rookTo = castleSquares(us, from, to).rookTo;
      removePiece(b, us, Rook, to);
      putPiece(b, us, Rook, rookTo);
      key ^= pieceKey[us][Rook][to] ^ pieceKey[us][Rook][rookTo];
    }
    b.castleRights &= rightsAfterKingMove(us);
    b.kingSquare[us] = dest;
  } else if (piece == Rook) {
    dropRookRight(b, us, from);
  }

  int placed = piece;
  if (promotion) {
    b.materialSig += materialUnit(promotion, us) - materialUnit(Pawn, us);
    b.material[us] += pieceValue[promotion] - pieceValue[Pawn];
    b.phase[us] += phaseWeight[promotion];
    placed = promotion;
  }
  putPiece(b, us, placed, dest);
  key ^= pieceKey[us][placed][dest] ^ pieceKey[us][piece][from];

  // Only a plain move can be a double push, so en passant always closes here.
  b.epFile = 0;
  if (piece == Pawn) {
    b.pawnKey ^= pieceKey[us][Pawn][from];
    if (!promotion) b.pawnKey ^= pieceKey[us][Pawn][to];
  }
  key ^= epKey[undo.epFile] ^ castleKey[undo.castleRights] ^ castleKey[b.castleRights];

  b.sideToMove = static_cast<std::uint32_t>(them);
  b.hashKey = key ^ sideKey;
}

void unmakeSpecialMove(Board& b, Move m) {
  const int us = static_cast<int>(b.sideToMove), them = us ^ 1;
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m), captured = moveCaptured(m), promotion = movePromotion(m);
  const Square dest = isCastle(m) ? castleSquares(us, from, to).kingTo : to;

  if (promotion) {
    b.materialSig += materialUnit(Pawn, us) - materialUnit(promotion, us);
    b.material[us] += pieceValue[Pawn] - pieceValue[promotion];
    b.phase[us] -= phaseWeight[promotion];
    removePiece(b, us, promotion, dest);
  } else {
    removePiece(b, us, piece, dest);
  }

  if (captured) {
    b.materialSig += materialUnit(captured, them);
    b.material[them] += pieceValue[captured];
    b.phase[them] += phaseWeight[captured];
    putPiece(b, them, captured, capturedSquare(m, us));
  }

  if (piece == King) {
    if (isCastle(m)) {
      removePiece(b, us, Rook, castleSquares(us, from, to).rookTo);
      putPiece(b, us, Rook, to);
    }
    b.kingSquare[us] = from;
  }
  putPiece(b, us, piece, from);
}

}  // namespace talvik::detail
