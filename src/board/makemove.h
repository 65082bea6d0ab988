// Making and unmaking moves with every derived Board field kept exact by
// incremental update. Legality is not tested here: the caller makes a move,
// tests its own king and unmakes it when it is attacked.
#pragma once

#include "board/board.h"
#include "board/move.h"

namespace talvik {

// What unmakeMove cannot recompute from the move word.
struct UndoRecord {
  std::uint64_t hashKey;
  std::uint64_t pawnKey;
  std::uint8_t castleRights;
  std::uint8_t epFile;
  std::uint8_t halfmoveClock;
};

namespace detail {

inline void togglePiece(Board& b, int colour, int type, Square sq) {
  const Bitboard bit = Bitboard{1} << sq;
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

// King and rook destinations of a castling move: king g/c, rook f/d on the
// mover's back rank; the king-side wing is the one whose rook lies above the king.
struct CastleSquares {
  Square kingTo;
  Square rookTo;
};
inline CastleSquares castleSquares(int colour, Square kingFrom, Square rookFrom) {
  const Square base = colour == White ? 0 : 56;
  return kingFrom < rookFrom ? CastleSquares{base + 6, base + 5} : CastleSquares{base + 2, base + 3};
}

// Clears the castling right tied to a rook start square of `colour`, the
// king-side entry first; at most one right is cleared.
inline void dropRookRight(Board& b, int colour, Square sq) {
  if (sq == b.castleRookFrom[KingSide][colour])
    b.castleRights &= colour == White ? ~WhiteKingSide : ~BlackKingSide;
  else if (sq == b.castleRookFrom[QueenSide][colour])
    b.castleRights &= colour == White ? ~WhiteQueenSide : ~BlackQueenSide;
}

}  // namespace detail

inline void makeMove(Board& b, Move m, UndoRecord& undo) {
  using namespace detail;
  undo.hashKey = b.hashKey;
  undo.pawnKey = b.pawnKey;
  undo.castleRights = b.castleRights;
  undo.epFile = b.epFile;
  undo.halfmoveClock = b.halfmoveClock;

  const int us = static_cast<int>(b.sideToMove), them = us ^ 1;
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m), captured = moveCaptured(m), promotion = movePromotion(m);
  std::uint64_t key = b.hashKey;

  // The clock saturates instead of wrapping: a very long reversible sequence
  // must keep the fifty-move rule in force.
  if (piece == Pawn || captured)
    b.halfmoveClock = 0;
  else if (b.halfmoveClock < 255)
    ++b.halfmoveClock;

  Square dest = to;
  if (isCastle(m)) dest = castleSquares(us, from, to).kingTo;

  // Most moves neither capture, promote nor castle: move the piece with one
  // XOR per bitboard.
  if (!(m & (CaptureMask | PromotionMask | CastleFlag))) {
    const Bitboard fromTo = Bitboard{1} << from | Bitboard{1} << to;
    b.occupied ^= fromTo;
    b.colourBB[us] ^= fromTo;
    b.pieceBB[pieceIndex(piece, us)] ^= fromTo;
    b.squareType[from] = NoPiece;
    b.squareType[to] = static_cast<std::uint8_t>(piece);
    key ^= pieceKey[us][piece][from] ^ pieceKey[us][piece][to];
    b.epFile = 0;
    if (piece == Pawn) {
      if ((from ^ to) == 16) b.epFile = static_cast<std::uint8_t>(fileOf(to) + 1);
      b.pawnKey ^= pieceKey[us][Pawn][from] ^ pieceKey[us][Pawn][to];
    } else if (piece == King) {
      b.castleRights &= us == White ? (BlackKingSide | BlackQueenSide) : (WhiteKingSide | WhiteQueenSide);
      b.kingSquare[us] = to;
    } else if (piece == Rook) {
      dropRookRight(b, us, from);
    }
    if (b.epFile != undo.epFile) key ^= epKey[undo.epFile] ^ epKey[b.epFile];
    if (b.castleRights != undo.castleRights) key ^= castleKey[undo.castleRights] ^ castleKey[b.castleRights];
    b.sideToMove = static_cast<std::uint32_t>(them);
    b.hashKey = key ^ sideKey;
    return;
  }

  removePiece(b, us, piece, from);

  if (captured) {
    const Square capSq = isEnPassant(m) ? to + epCaptureOffset[us] : to;
    b.materialSig -= materialUnit(captured, them);
    b.material[them] -= pieceValue[captured];
    b.phase[them] -= phaseWeight[captured];
    removePiece(b, them, captured, capSq);
    key ^= pieceKey[them][captured][capSq];
    if (captured == Pawn)
      b.pawnKey ^= pieceKey[them][Pawn][capSq];
    else if (captured == Rook)
      dropRookRight(b, them, to);
  }

  if (piece == King) {
    if (isCastle(m)) {
      const Square rookTo = castleSquares(us, from, to).rookTo;
      removePiece(b, us, Rook, to);
      putPiece(b, us, Rook, rookTo);
      key ^= pieceKey[us][Rook][to] ^ pieceKey[us][Rook][rookTo];
    }
    b.castleRights &= us == White ? (BlackKingSide | BlackQueenSide) : (WhiteKingSide | WhiteQueenSide);
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

  b.epFile = 0;
  if (piece == Pawn) {
    if ((from ^ to) == 16) b.epFile = static_cast<std::uint8_t>(fileOf(to) + 1);
    b.pawnKey ^= pieceKey[us][Pawn][from];
    if (!promotion) b.pawnKey ^= pieceKey[us][Pawn][to];
  }
  if (b.epFile != undo.epFile) key ^= epKey[undo.epFile] ^ epKey[b.epFile];
  if (b.castleRights != undo.castleRights) key ^= castleKey[undo.castleRights] ^ castleKey[b.castleRights];

  b.sideToMove = static_cast<std::uint32_t>(them);
  b.hashKey = key ^ sideKey;
}

namespace detail {
inline void unmakeSpecialMove(Board& b, Move m, int us);
}

inline void unmakeMove(Board& b, Move m, const UndoRecord& undo) {
  using namespace detail;
  const int us = static_cast<int>(b.sideToMove) ^ 1;
  b.sideToMove = static_cast<std::uint32_t>(us);
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m);

  if (!(m & (CaptureMask | PromotionMask | CastleFlag))) {
    const Bitboard fromTo = Bitboard{1} << from | Bitboard{1} << to;
    b.occupied ^= fromTo;
    b.colourBB[us] ^= fromTo;
    b.pieceBB[pieceIndex(piece, us)] ^= fromTo;
    b.squareType[to] = NoPiece;
    b.squareType[from] = static_cast<std::uint8_t>(piece);
    if (piece == King) b.kingSquare[us] = from;
  } else {
    unmakeSpecialMove(b, m, us);
  }
  b.hashKey = undo.hashKey;
  b.pawnKey = undo.pawnKey;
  b.castleRights = undo.castleRights;
  b.epFile = undo.epFile;
  b.halfmoveClock = undo.halfmoveClock;
}

namespace detail {
// Captures, promotions and castling: the general path of unmakeMove.
inline void unmakeSpecialMove(Board& b, Move m, int us) {
  const int them = us ^ 1;
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m), captured = moveCaptured(m), promotion = movePromotion(m);
  Square dest = to;
  if (isCastle(m)) dest = castleSquares(us, from, to).kingTo;

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
    putPiece(b, them, captured, isEnPassant(m) ? to + epCaptureOffset[us] : to);
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
}  // namespace detail

// The side to move passes. There is no unmake: the caller restores the side
// to move, both keys, the en-passant file and the clock from the record.
inline void makeNullMove(Board& b, UndoRecord& undo) {
  undo.hashKey = b.hashKey;
  undo.pawnKey = b.pawnKey;
  undo.epFile = b.epFile;
  undo.halfmoveClock = b.halfmoveClock;
  b.halfmoveClock = 0;
  if (b.epFile) {
    b.hashKey ^= epKey[b.epFile];
    b.epFile = 0;
  }
  b.hashKey ^= sideKey;
  b.sideToMove ^= 1;
}

inline void unmakeNullMove(Board& b, const UndoRecord& undo) {
  b.sideToMove ^= 1;
  b.hashKey = undo.hashKey;
  b.pawnKey = undo.pawnKey;
  b.epFile = undo.epFile;
  b.halfmoveClock = undo.halfmoveClock;
}

}  // namespace talvik
