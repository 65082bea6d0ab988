#include "board/movegen.h"

#include "board/makemove.h"

namespace talvik {

namespace {

// Direction-dependent constants of the two colour twins.
template <int Us>
struct PawnGeometry {
  static constexpr int Push = Us == White ? 8 : -8;
  // The two capture directions, in generation order: +7/+9 for White, -7/-9 for Black.
  static constexpr int CaptureA = Us == White ? 7 : -7;
  static constexpr int CaptureB = Us == White ? 9 : -9;
  static constexpr Bitboard NotFileA = ~fileBB(0);
  static constexpr Bitboard NotFileH = ~fileBB(7);
  // Pawns that can capture towards CaptureA / CaptureB without wrapping round the board.
  static constexpr Bitboard CanCaptureA = Us == White ? NotFileA : NotFileH;
  static constexpr Bitboard CanCaptureB = Us == White ? NotFileH : NotFileA;
  static constexpr Bitboard SeventhRank = rankBB(Us == White ? 6 : 1);
  static constexpr Bitboard ThirdRank = rankBB(Us == White ? 2 : 5);
  static constexpr Bitboard LastRank = rankBB(Us == White ? 7 : 0);
};

template <int Shift>
constexpr Bitboard shiftBB(Bitboard b) {
  return Shift > 0 ? b << Shift : b >> -Shift;
}

inline MoveEntry* emit(MoveEntry* list, Move m) {
  list->move = m;
  return list + 1;
}

template <bool QueenOnly>
inline MoveEntry* emitPromotions(MoveEntry* list, Square from, Square to, int captured) {
  list = emit(list, encodeMove(from, to, Pawn, captured, Queen));
  if (!QueenOnly) {
    list = emit(list, encodeMove(from, to, Pawn, captured, Rook));
    list = emit(list, encodeMove(from, to, Pawn, captured, Knight));
    list = emit(list, encodeMove(from, to, Pawn, captured, Bishop));
  }
  return list;
}

inline Bitboard pieceTargets(int type, Square sq, Bitboard occupied) {
  switch (type) {
    case Knight: return knightAttacks[sq];
    case Bishop: return bishopAttacks(sq, occupied);
    case Rook: return rookAttacks(sq, occupied);
    case Queen: return queenAttacks(sq, occupied);
    default: return kingAttacks[sq];
  }
}

// Knights, bishops, rooks, queens (and the king when `WithKing`), each piece
// from the lowest square up, its targets from the lowest square up.
template <int Us, bool WithKing>
MoveEntry* pieceMoves(const Board& b, MoveEntry* list, Bitboard targets) {
  for (int type = Knight; type <= (WithKing ? King : Queen); ++type) {
    for (Bitboard pieces = b.pieces(type, Us); pieces;) {
      const Square from = popLowest(pieces);
      for (Bitboard to = pieceTargets(type, from, b.occupied) & targets; to;) {
        const Square sq = popLowest(to);
        list = emit(list, encodeMove(from, sq, type, b.squareType[sq]));
      }
    }
  }
  return list;
}

// Pawn captures onto `targets` in one direction, optionally promoting.
template <int Us, int Dir, bool Promote, bool QueenOnly = false>
MoveEntry* pawnCaptures(const Board& b, MoveEntry* list, Bitboard pawns, Bitboard targets) {
  for (Bitboard to = shiftBB<Dir>(pawns) & targets; to;) {
    const Square sq = popLowest(to);
    if (Promote)
      list = emitPromotions<QueenOnly>(list, sq - Dir, sq, b.squareType[sq]);
    else
      list = emit(list, encodeMove(sq - Dir, sq, Pawn, b.squareType[sq]));
  }
  return list;
}

template <int Us>
MoveEntry* enPassantCaptures(const Board& b, MoveEntry* list) {
  if (!b.epFile) return list;
  const Square pushed = makeSquare(b.epFile - 1, Us == White ? 4 : 3);
  if (!(b.colourBB[Us ^ 1] & squareMask[pushed])) return list;
  const Square target = pushed + PawnGeometry<Us>::Push;
  for (Bitboard from = b.pieces(Pawn, Us) & pawnAttacks[Us ^ 1][target]; from;)
    list = emit(list, encodeMove(popLowest(from), target, Pawn, Pawn, NoPiece, EnPassantFlag));
  return list;
}

template <int Us>
int captures(const Board& b, MoveEntry* start) {
  using G = PawnGeometry<Us>;
  const Bitboard enemies = b.colourBB[Us ^ 1];
  MoveEntry* list = pieceMoves<Us, true>(b, start, enemies);
  const Bitboard pawns = b.pieces(Pawn, Us);
  const Bitboard plain = pawns & ~G::SeventhRank, promoting = pawns & G::SeventhRank;
  list = pawnCaptures<Us, G::CaptureA, false>(b, list, plain & G::CanCaptureA, enemies);
  list = pawnCaptures<Us, G::CaptureB, false>(b, list, plain & G::CanCaptureB, enemies);
  list = enPassantCaptures<Us>(b, list);
  list = pawnCaptures<Us, G::CaptureA, true>(b, list, promoting & G::CanCaptureA, enemies);
  list = pawnCaptures<Us, G::CaptureB, true>(b, list, promoting & G::CanCaptureB, enemies);
  for (Bitboard to = shiftBB<G::Push>(promoting) & ~b.occupied; to;) {
    const Square sq = popLowest(to);
    list = emitPromotions<false>(list, sq - G::Push, sq, NoPiece);
  }
  return static_cast<int>(list - start);
}

// The squares the king crosses while castling must not be attacked: from the
// square beside its start up to g1 on the king side, from c1 up to the square
// beside its start on the queen side (the start square itself is the "not in
// check" test). A king that castles long from b1 crosses nothing, and whether
// c1 is safe is left to the legality test after the move, which also sees the
// rook gone from a1. The generator and isPseudoLegal share this rule, so they agree
// on every castling move.
bool castlingPathSafe(const Board& b, int us, int wing) {
  const Square kingFrom = b.castleKingFrom[us];
  const Square base = us == White ? 0 : 56;
  const Square first = wing == KingSide ? kingFrom + 1 : base + 2;
  const Square last = wing == KingSide ? base + 6 : kingFrom - 1;
  for (Square sq = first; sq <= last; ++sq)
    if (isSquareAttacked(b, sq, us ^ 1)) return false;
  return true;
}

constexpr std::uint8_t castleRight(int colour, int wing) {
  return colour == White ? (wing == KingSide ? WhiteKingSide : WhiteQueenSide)
                         : (wing == KingSide ? BlackKingSide : BlackQueenSide);
}

template <int Us>
MoveEntry* castling(const Board& b, MoveEntry* list) {
  if (!(b.castleRights & (castleRight(Us, KingSide) | castleRight(Us, QueenSide)))) return list;
  const Square kingFrom = b.castleKingFrom[Us];
  if (isSquareAttacked(b, kingFrom, Us ^ 1)) return list;
  for (const int wing : {KingSide, QueenSide}) {
    if ((b.castleRights & castleRight(Us, wing)) && !(b.castlePath[wing][Us] & b.occupied) &&
        castlingPathSafe(b, Us, wing))
      list = emit(list, encodeMove(kingFrom, b.castleRookFrom[wing][Us], King, NoPiece, NoPiece, CastleFlag));
  }
  return list;
}

template <int Us>
int quiets(const Board& b, MoveEntry* start) {
  using G = PawnGeometry<Us>;
  const Bitboard empty = ~b.occupied;
  MoveEntry* list = castling<Us>(b, start);
  list = pieceMoves<Us, true>(b, list, empty);
  const Bitboard pushed = shiftBB<G::Push>(b.pieces(Pawn, Us) & ~G::SeventhRank) & empty;
  for (Bitboard to = pushed; to;) {
    const Square sq = popLowest(to);
    list = emit(list, encodeMove(sq - G::Push, sq, Pawn));
  }
  for (Bitboard to = shiftBB<G::Push>(pushed & G::ThirdRank) & empty; to;) {
    const Square sq = popLowest(to);
    list = emit(list, encodeMove(sq - 2 * G::Push, sq, Pawn));
  }
  return static_cast<int>(list - start);
}

// The quiet moves of `quiets` that land on `wantedTo[type]` for their piece
// type or start on `anyFrom`, castling always; in the same order.
template <int Us>
int quietsOnto(const Board& b, MoveEntry* start, const Bitboard (&wantedTo)[8], Bitboard anyFrom) {
  using G = PawnGeometry<Us>;
  const Bitboard empty = ~b.occupied;
  MoveEntry* list = castling<Us>(b, start);
  for (int type = Knight; type <= King; ++type) {
    for (Bitboard pieces = b.pieces(type, Us); pieces;) {
      const Square from = popLowest(pieces);
      const Bitboard wanted = empty & ((anyFrom & squareMask[from]) ? ~Bitboard{0} : wantedTo[type]);
      if (!wanted) continue;
      for (Bitboard to = pieceTargets(type, from, b.occupied) & wanted; to;) {
        const Square sq = popLowest(to);
        list = emit(list, encodeMove(from, sq, type, NoPiece));
      }
    }
  }
  const Bitboard pushed = shiftBB<G::Push>(b.pieces(Pawn, Us) & ~G::SeventhRank) & empty;
  for (Bitboard to = pushed & (wantedTo[Pawn] | shiftBB<G::Push>(anyFrom)); to;) {
    const Square sq = popLowest(to);
    list = emit(list, encodeMove(sq - G::Push, sq, Pawn));
  }
  const Bitboard doubles = shiftBB<G::Push>(pushed & G::ThirdRank) & empty;
  for (Bitboard to = doubles & (wantedTo[Pawn] | shiftBB<2 * G::Push>(anyFrom)); to;) {
    const Square sq = popLowest(to);
    list = emit(list, encodeMove(sq - 2 * G::Push, sq, Pawn));
  }
  return static_cast<int>(list - start);
}

template <int Us>
Bitboard checkersOf(const Board& b) {
  constexpr int Them = Us ^ 1;
  const Square king = b.kingSquare[Us];
  const Bitboard queens = b.pieces(Queen, Them);
  return (b.pieces(Pawn, Them) & pawnAttacks[Us][king]) | (b.pieces(Knight, Them) & knightAttacks[king]) |
         ((b.pieces(Bishop, Them) | queens) & bishopAttacks(king, b.occupied)) |
         ((b.pieces(Rook, Them) | queens) & rookAttacks(king, b.occupied));
}

template <int Us, bool QueenOnly>
int evasions(const Board& b, MoveEntry* start) {
  using G = PawnGeometry<Us>;
  constexpr int Them = Us ^ 1;
  const Square king = b.kingSquare[Us];
  const Bitboard checkers = checkersOf<Us>(b);
  MoveEntry* list = start;

  // King steps, tested with the king lifted off the board so that it cannot
  // step back along the line of a checking slider.
  const Bitboard withoutKing = b.occupied & ~squareMask[king];
  for (Bitboard to = kingAttacks[king] & ~b.colourBB[Us]; to;) {
    const Square sq = popLowest(to);
    if (!isSquareAttackedOcc(b, sq, Them, withoutKing)) list = emit(list, encodeMove(king, sq, King, b.squareType[sq]));
  }
  if (!checkers || moreThanOne(checkers)) return static_cast<int>(list - start);

  const Square checker = lowestSquare(checkers);
  const Bitboard block = betweenMask[king][checker];
  const Bitboard target = (checkers | block) & ~b.colourBB[Us];
  list = pieceMoves<Us, false>(b, list, target);

  const Bitboard pawns = b.pieces(Pawn, Us);
  const Bitboard plain = pawns & ~G::SeventhRank, promoting = pawns & G::SeventhRank;
  list = pawnCaptures<Us, G::CaptureA, false>(b, list, plain & G::CanCaptureA, checkers);
  list = pawnCaptures<Us, G::CaptureB, false>(b, list, plain & G::CanCaptureB, checkers);
  if (b.epFile && checker == makeSquare(b.epFile - 1, Us == White ? 4 : 3)) list = enPassantCaptures<Us>(b, list);
  list = pawnCaptures<Us, G::CaptureA, true, QueenOnly>(b, list, promoting & G::CanCaptureA, checkers);
  list = pawnCaptures<Us, G::CaptureB, true, QueenOnly>(b, list, promoting & G::CanCaptureB, checkers);

  const Bitboard empty = ~b.occupied;
  const Bitboard pushed = shiftBB<G::Push>(plain) & empty;
  for (Bitboard to = pushed & block; to;) {
    const Square sq = popLowest(to);
    list = emit(list, encodeMove(sq - G::Push, sq, Pawn));
  }
  for (Bitboard to = shiftBB<G::Push>(pushed & G::ThirdRank) & empty & block; to;) {
    const Square sq = popLowest(to);
    list = emit(list, encodeMove(sq - 2 * G::Push, sq, Pawn));
  }
  for (Bitboard to = shiftBB<G::Push>(promoting) & empty & block; to;) {
    const Square sq = popLowest(to);
    list = emitPromotions<QueenOnly>(list, sq - G::Push, sq, NoPiece);
  }
  return static_cast<int>(list - start);
}

bool pawnMoveIsPseudoLegal(const Board& b, Move m, int us) {
  const Square from = moveFrom(m), to = moveTo(m);
  const int forward = us == White ? 8 : -8;
  const bool lastRank = rankOf(to) == (us == White ? 7 : 0);
  if ((movePromotion(m) != NoPiece) != lastRank) return false;
  if (isEnPassant(m)) {
    if (b.epFile != fileOf(to) + 1 || rankOf(to) != (us == White ? 5 : 2)) return false;
    if (!(b.pieces(Pawn, us ^ 1) & squareMask[to - forward])) return false;
    return (pawnAttacks[us][from] & squareMask[to]) != 0;
  }
  if (isCapture(m)) return (pawnAttacks[us][from] & squareMask[to]) != 0;
  if (to == from + forward) return true;
  // Double push: from the second rank, over an empty square.
  return to == from + 2 * forward && rankOf(from) == (us == White ? 1 : 6) &&
         !(b.occupied & squareMask[from + forward]);
}

bool castleIsPseudoLegal(const Board& b, Move m, int us) {
  if (movePiece(m) != King || isCapture(m) || isPromotion(m) || isEnPassant(m)) return false;
  const Square from = moveFrom(m), to = moveTo(m);
  if (from != b.castleKingFrom[us] || !(b.pieces(King, us) & squareMask[from])) return false;
  int wing;
  if (to == b.castleRookFrom[KingSide][us])
    wing = KingSide;
  else if (to == b.castleRookFrom[QueenSide][us])
    wing = QueenSide;
  else
    return false;
  if (!(b.castleRights & castleRight(us, wing)) || !(b.pieces(Rook, us) & squareMask[to])) return false;
  if (b.castlePath[wing][us] & b.occupied) return false;
  return !isSquareAttacked(b, from, us ^ 1) && castlingPathSafe(b, us, wing);
}

}  // namespace

int generateCaptures(const Board& board, MoveEntry* list) {
  return board.sideToMove == White ? captures<White>(board, list) : captures<Black>(board, list);
}

int generateQuiets(const Board& board, MoveEntry* list) {
  return board.sideToMove == White ? quiets<White>(board, list) : quiets<Black>(board, list);
}

int generateQuietsOnto(const Board& board, MoveEntry* list, const Bitboard (&wantedTo)[8], Bitboard anyFrom) {
  return board.sideToMove == White ? quietsOnto<White>(board, list, wantedTo, anyFrom)
                                   : quietsOnto<Black>(board, list, wantedTo, anyFrom);
}

int generateEvasions(const Board& board, MoveEntry* list) {
  return board.sideToMove == White ? evasions<White, false>(board, list) : evasions<Black, false>(board, list);
}

int generateEvasionsQueenOnly(const Board& board, MoveEntry* list) {
  return board.sideToMove == White ? evasions<White, true>(board, list) : evasions<Black, true>(board, list);
}

int generatePseudoLegal(const Board& board, MoveEntry* list, bool inCheck) {
  if (inCheck) return generateEvasions(board, list);
  const int n = generateCaptures(board, list);
  return n + generateQuiets(board, list + n);
}

int generateLegal(const Board& board, MoveEntry* list, bool inCheck) {
  MoveList pseudo;
  const int count = generatePseudoLegal(board, pseudo.entries, inCheck);
  Board scratch = board;
  int legal = 0;
  for (int i = 0; i < count; ++i) {
    const Move m = pseudo.entries[i].move;
    UndoRecord undo;
    makeMove(scratch, m, undo);
    if (!moverLeftKingAttacked(scratch)) list[legal++].move = m;
    unmakeMove(scratch, m, undo);
  }
  return legal;
}

bool leavesKingAttacked(const Board& board, Move move) {
  Board scratch = board;
  UndoRecord undo;
  makeMove(scratch, move, undo);
  return moverLeftKingAttacked(scratch);
}

bool isPseudoLegal(const Board& b, Move m) {
  if (m == NoMove || (m >> 23) != 0) return false;
  const int us = static_cast<int>(b.sideToMove);
  const Square from = moveFrom(m), to = moveTo(m);
  const int piece = movePiece(m), captured = moveCaptured(m), promotion = movePromotion(m);
  if (piece < Pawn || piece > King || captured > Queen) return false;
  if (!(b.pieces(piece, us) & squareMask[from])) return false;
  if (isCastle(m)) return castleIsPseudoLegal(b, m, us);
  if (promotion != NoPiece && (piece != Pawn || promotion < Knight || promotion > Queen)) return false;
  if (isEnPassant(m) && (piece != Pawn || captured != Pawn)) return false;

  const Bitboard toBit = squareMask[to];
  if (isEnPassant(m)) {
    if (b.occupied & toBit) return false;
  } else if (captured != NoPiece) {
    if (!(b.colourBB[us ^ 1] & toBit) || b.squareType[to] != captured) return false;
  } else if (b.occupied & toBit) {
    return false;
  }

  switch (piece) {
    case Pawn: return pawnMoveIsPseudoLegal(b, m, us);
    case Knight: return (knightAttacks[from] & toBit) != 0;
    case Bishop: return (bishopAttacks(from, b.occupied) & toBit) != 0;
    case Rook: return (rookAttacks(from, b.occupied) & toBit) != 0;
    case Queen: return (queenAttacks(from, b.occupied) & toBit) != 0;
    default: return (kingAttacks[from] & toBit) != 0;
  }
}

}  // namespace talvik
