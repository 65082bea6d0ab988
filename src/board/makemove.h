// Making and unmaking moves with every derived Board field kept exact by
// incremental update. Legality is not tested here: the caller makes a move,
// tests its own king and unmakes it when it is attacked.
//
// Most moves neither promote, castle nor capture en passant. Those "plain"
// moves, captures included, take a short inline path; the others go through
// makeSpecialMove/unmakeSpecialMove, which follow the general algorithm step
// by step.
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

inline constexpr Move SpecialMoveMask = PromotionMask | CastleFlag | EnPassantFlag;

namespace detail {

// Promotions, castling and en passant; `undo` already holds the old state.
void makeSpecialMove(Board& b, Move m, const UndoRecord& undo);
void unmakeSpecialMove(Board& b, Move m);

// Castling rights that survive a king move of `colour`: only the opponent's.
constexpr std::uint8_t rightsAfterKingMove(int colour) {
  return colour == White ? (BlackKingSide | BlackQueenSide) : (WhiteKingSide | WhiteQueenSide);
}

// Clears the castling right tied to a rook start square of `colour`, the
// king-side entry first; at most one right is cleared.
inline void dropRookRight(Board& b, int colour, Square sq) {
  if (sq == b.castleRookFrom[KingSide][colour])
    b.castleRights &= colour == White ? ~WhiteKingSide : ~BlackKingSide;
  else if (sq == b.castleRookFrom[QueenSide][colour])
    b.castleRights &= colour == White ? ~WhiteQueenSide : ~BlackQueenSide;
}

// Moves a piece between two squares with one XOR per bitboard; swapping the
// squares moves it back.
inline void shiftPiece(Board& b, int colour, int type, Square from, Square to) {
  const Bitboard fromTo = squareMask[from] | squareMask[to];
  b.occupied ^= fromTo;
  b.colourBB[colour] ^= fromTo;
  b.pieceBB[pieceIndex(type, colour)] ^= fromTo;
  b.squareType[from] = NoPiece;
  b.squareType[to] = static_cast<std::uint8_t>(type);
}

// Takes an enemy piece off its square (bitboards only; the square is about
// to be entered by the capturing piece) and off the material counts.
// Returns its hash key.
inline std::uint64_t captureOn(Board& b, int colour, int type, Square sq) {
  const Bitboard bit = squareMask[sq];
  b.occupied ^= bit;
  b.colourBB[colour] ^= bit;
  b.pieceBB[pieceIndex(type, colour)] ^= bit;
  b.materialSig -= materialUnit(type, colour);
  b.material[colour] -= pieceValue[type];
  b.phase[colour] -= phaseWeight[type];
  const std::uint64_t key = pieceKey[colour][type][sq];
  if (type == Pawn)
    b.pawnKey ^= key;
  else if (type == Rook)
    dropRookRight(b, colour, sq);
  return key;
}

// Puts a captured piece back on its square and into the material counts.
inline void uncaptureOn(Board& b, int colour, int type, Square sq) {
  const Bitboard bit = squareMask[sq];
  b.occupied ^= bit;
  b.colourBB[colour] ^= bit;
  b.pieceBB[pieceIndex(type, colour)] ^= bit;
  b.squareType[sq] = static_cast<std::uint8_t>(type);
  b.materialSig += materialUnit(type, colour);
  b.material[colour] += pieceValue[type];
  b.phase[colour] += phaseWeight[type];
}

// The clock saturates instead of wrapping: a very long reversible sequence
// must keep the fifty-move rule in force.
inline void tickHalfmoveClock(Board& b) {
  if (b.halfmoveClock < 255) ++b.halfmoveClock;
}

}  // namespace detail

inline void makeMove(Board& b, Move m, UndoRecord& undo) {
  undo.hashKey = b.hashKey;
  undo.pawnKey = b.pawnKey;
  undo.castleRights = b.castleRights;
  undo.epFile = b.epFile;
  undo.halfmoveClock = b.halfmoveClock;
  if (m & SpecialMoveMask) {
    detail::makeSpecialMove(b, m, undo);
    return;
  }

  const int us = static_cast<int>(b.sideToMove);
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m), captured = moveCaptured(m);
  std::uint64_t key = b.hashKey ^ pieceKey[us][piece][from] ^ pieceKey[us][piece][to] ^ epKey[b.epFile] ^ sideKey;
  if (captured) key ^= detail::captureOn(b, us ^ 1, captured, to);
  detail::shiftPiece(b, us, piece, from, to);

  std::uint8_t epFile = 0;
  if (piece == Pawn) {
    b.halfmoveClock = 0;
    // A double push opens en passant whether or not an enemy pawn can take.
    if ((from ^ to) == 16) epFile = static_cast<std::uint8_t>(fileOf(to) + 1);
    b.pawnKey ^= pieceKey[us][Pawn][from] ^ pieceKey[us][Pawn][to];
  } else {
    if (captured)
      b.halfmoveClock = 0;
    else
      detail::tickHalfmoveClock(b);
    if (piece == King) {
      b.castleRights &= detail::rightsAfterKingMove(us);
      b.kingSquare[us] = to;
    } else if (piece == Rook) {
      detail::dropRookRight(b, us, from);
    }
  }
  // Rights change by a king or rook move, or by taking a rook.
  if (b.castleRights != undo.castleRights) key ^= castleKey[undo.castleRights] ^ castleKey[b.castleRights];
  b.epFile = epFile;
  b.hashKey = key ^ epKey[epFile];
  b.sideToMove = static_cast<std::uint32_t>(us ^ 1);
}

inline void unmakeMove(Board& b, Move m, const UndoRecord& undo) {
  b.sideToMove ^= 1;
  if (m & SpecialMoveMask) {
    detail::unmakeSpecialMove(b, m);
  } else {
    const int us = static_cast<int>(b.sideToMove);
    const Square from = moveFrom(m), to = moveTo(m);
    const int piece = movePiece(m), captured = moveCaptured(m);
    detail::shiftPiece(b, us, piece, to, from);
    if (captured) detail::uncaptureOn(b, us ^ 1, captured, to);
    if (piece == King) b.kingSquare[us] = from;
  }
  b.hashKey = undo.hashKey;
  b.pawnKey = undo.pawnKey;
  b.castleRights = undo.castleRights;
  b.epFile = undo.epFile;
  b.halfmoveClock = undo.halfmoveClock;
}

// The side to move passes. Undone by unmakeNullMove, which restores the side
// to move, both keys, the en-passant file and the clock from the record.
inline void makeNullMove(Board& b, UndoRecord& undo) {
  undo.hashKey = b.hashKey;
  undo.pawnKey = b.pawnKey;
  undo.epFile = b.epFile;
  undo.halfmoveClock = b.halfmoveClock;
  b.halfmoveClock = 0;
  b.hashKey ^= epKey[b.epFile] ^ sideKey;
  b.epFile = 0;
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
