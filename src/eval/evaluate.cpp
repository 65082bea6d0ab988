#include "eval/evaluate.h"

#include <cstdint>
#include <limits>

#include "eval/endgames.h"
#include "eval/eval_masks.h"
#include "eval/parameters.h"
#include "eval/pawn_structure.h"

namespace talvik {

namespace {

// One side's piece terms, kept apart until the sides are combined.
struct SideTerms {
  int mid = 0;
  int end = 0;
  int mobilityMid = 0;
  int mobilityEnd = 0;
  Bitboard attacks[4] = {};  // per MobilityKind: union of the attack sets, for king safety
};

constexpr PawnEntry NoPawns = {};

constexpr int sign(int colour) { return colour == White ? 1 : -1; }

// n / d, truncated, for a 64-bit n and a non-zero d. A 32-bit processor
// divides 64-bit numbers in a library routine: there the division is done
// in 32 bits whenever n fits (the quotient is the same).
inline std::int64_t divideWide(std::int64_t n, std::int32_t d) {
  if constexpr (WordIs32Bits) {
    using Limits = std::numeric_limits<std::int32_t>;
    if (n > Limits::min() && n <= Limits::max()) return static_cast<std::int32_t>(n) / d;
  }
  return n / d;
}

bool has(const Board& board, int type, int colour, Square sq) {
  return (board.pieces(type, colour) & squareMask[sq]) != 0;
}

// Middle-game penalties for a blocked centre pawn and for pieces caught in
// the classic traps (a knight or bishop that took a rook pawn, a rook shut
// in by its own king). White minus Black.
int trapsAndBlocks(const Board& board) {
  const EvalParameters& p = evalParams;
  int mid = 0;
  // d and e pawns still at home with their advance square taken.
  constexpr Bitboard WhiteCentreHome = squareMask[makeSquare(3, 1)] | squareMask[makeSquare(4, 1)];
  constexpr Bitboard BlackCentreHome = squareMask[makeSquare(3, 6)] | squareMask[makeSquare(4, 6)];
  const Bitboard blockedW = board.pieces(Pawn, White) & WhiteCentreHome & (board.occupied >> 8);
  const Bitboard blockedB = board.pieces(Pawn, Black) & BlackCentreHome & (board.occupied << 8);
  for (const int file : {3, 4}) {
    if (blockedW & fileMask[file]) mid -= p.blockedCentrePawn;
    if (blockedB & fileMask[file]) mid += p.blockedCentrePawn;
  }
  for (const int colour : {White, Black}) {
    const int them = colour ^ 1;
    // Squares as seen by White; Black's are the vertical mirror.
    auto sq = [colour](Square whiteSq) { return colour == White ? whiteSq : mirrorSquare(whiteSq); };
    int penalty = 0;
    // A knight or bishop on a7 or h7 (seen from White) is rare: one test
    // passes over the four traps below.
    const Bitboard cornerMinors = (board.pieces(Knight, colour) | board.pieces(Bishop, colour)) &
                                  (squareMask[sq(48)] | squareMask[sq(55)]);
    if (cornerMinors) {
      // Knight on a7 shut in by pawns on b7 and a6 (h7: g7 and h6).
      if (has(board, Knight, colour, sq(48)) && has(board, Pawn, them, sq(49)) && has(board, Pawn, them, sq(40)))
        penalty += p.trappedKnight;
      if (has(board, Knight, colour, sq(55)) && has(board, Pawn, them, sq(54)) && has(board, Pawn, them, sq(47)))
        penalty += p.trappedKnight;
      // Bishop on a7 cut off by a pawn on b6 (h7: g6).
      if (has(board, Bishop, colour, sq(48)) && has(board, Pawn, them, sq(41))) penalty += p.trappedBishop;
      if (has(board, Bishop, colour, sq(55)) && has(board, Pawn, them, sq(46))) penalty += p.trappedBishop;
    }
    // Rook in the corner behind an uncastled king that walked towards it.
    const int kingFile = fileOf(board.kingSquare[colour]);
    const bool kingOnBackRank = relativeRank(colour, board.kingSquare[colour]) == 0;
    const Bitboard rooks = board.pieces(Rook, colour);
    if (kingOnBackRank && kingFile <= 2 && (rooks & (squareMask[sq(0)] | squareMask[sq(1)])))
      penalty += p.trappedRook;
    else if (kingOnBackRank && kingFile >= 5 && (rooks & (squareMask[sq(6)] | squareMask[sq(7)])))
      penalty += p.trappedRook;
    mid -= sign(colour) * penalty;
  }
  return mid;
}

// What every piece of one side is scored against.
struct PieceSurroundings {
  int colour;
  Bitboard ownPawns, enemyPawns;
  Bitboard ownPawnAttacks, enemyPawnAttacks;
  Bitboard safe;  // squares a piece can go to without being chased away by a pawn at once
};

// Piece-square values, mobility, outposts and rook files of one side's
// pieces of one type (one instance per type, so that the type tests vanish).
template <int Type>
void scoreKind(const Board& board, const PieceSurroundings& s, SideTerms& terms) {
  const EvalParameters& p = evalParams;
  constexpr int kind = Type - Knight;
  const int colour = s.colour;
  const int piece = pieceIndex(Type, colour);
  for (Bitboard pieces = board.pieceBB[piece]; pieces;) {
    const Square sq = popLowest(pieces);
    terms.mid += p.pstMid[piece][sq];
    terms.end += p.pstEnd[piece][sq];
    Bitboard attacks;
    if constexpr (Type == Knight)
      attacks = knightAttacks[sq];
    else if constexpr (Type == Bishop)
      attacks = bishopAttacks(sq, board.occupied);
    else if constexpr (Type == Rook)
      attacks = rookAttacks(sq, board.occupied);
    else
      attacks = queenAttacks(sq, board.occupied);
    const int reach = popCount(attacks & s.safe);
    terms.mobilityMid += p.mobilityMid[kind][reach];
    terms.mobilityEnd += p.mobilityEnd[kind][reach];
    terms.attacks[kind] |= attacks;

    if constexpr (Type == Knight) {
      const int outpost = p.knightOutpost[colour][sq];
      if (outpost && !(s.enemyPawnAttacks & squareMask[sq]) && (s.ownPawnAttacks & squareMask[sq])) {
        terms.mid += outpost;
        terms.end += outpost;
      }
    } else if constexpr (Type == Rook) {
      const Bitboard file = fileMask[fileOf(sq)];
      if (!(s.ownPawns & file)) {
        const bool semiOpen = (s.enemyPawns & file) != 0;
        terms.mid += semiOpen ? p.rookSemiOpenFileMid : p.rookOpenFileMid;
        terms.end += semiOpen ? p.rookSemiOpenFileEnd : p.rookOpenFileEnd;
      }
      // On the seventh it attacks pawns still at home or keeps the king on the last rank.
      const int seventh = colour == White ? 6 : 1;
      if (rankOf(sq) == seventh &&
          (relativeRank(colour, board.kingSquare[colour ^ 1]) == 7 || (s.enemyPawns & rankBB(seventh)))) {
        terms.mid += p.rook7thRankMid;
        terms.end += p.rook7thRankEnd;
      }
    }
  }
}

// Knights, bishops, rooks and queens of one side; `pawnAttackSets` holds both
// sides' pawn attack sets, indexed by colour.
SideTerms scorePieces(const Board& board, int colour, const Bitboard (&pawnAttackSets)[2]) {
  PieceSurroundings s;
  s.colour = colour;
  s.ownPawns = board.pieces(Pawn, colour);
  s.enemyPawns = board.pieces(Pawn, colour ^ 1);
  s.ownPawnAttacks = pawnAttackSets[colour];
  s.enemyPawnAttacks = pawnAttackSets[colour ^ 1];
  s.safe = ~board.colourBB[colour] & ~s.enemyPawnAttacks;
  SideTerms terms;
  scoreKind<Knight>(board, s, terms);
  scoreKind<Bishop>(board, s, terms);
  scoreKind<Rook>(board, s, terms);
  scoreKind<Queen>(board, s, terms);
  return terms;
}

// Passed pawns: bonuses by rank, halved when an enemy piece blocks the pawn;
// in the end game the kings' distances to the pawn count too. White minus Black.
void scorePassedPawns(const Board& board, const PawnEntry& pawns, int& mid, int& end) {
  const EvalParameters& p = evalParams;
  for (const int colour : {White, Black}) {
    for (Bitboard passed = pawns.passed[colour]; passed;) {
      const Square sq = popLowest(passed);
      const int rank = relativeRank(colour, sq);
      int bonusMid = p.passedMid[rank], bonusEnd = p.passedEnd[rank];
      if (squareAhead(colour, sq) & board.colourBB[colour ^ 1]) {
        bonusMid -= bonusMid >> 1;
        bonusEnd -= bonusEnd >> 1;
      }
      const int ownDistance = kingDistance(sq, board.kingSquare[colour]);
      const int enemyDistance = kingDistance(sq, board.kingSquare[colour ^ 1]);
      mid += sign(colour) * bonusMid;
      end += sign(colour) * (bonusEnd + enemyDistance - ownDistance + 1);
    }
  }
}

// Middle-game king safety of `colour`'s king: the pawn shelter in front of
// a king still on its first two ranks, minus the weight of the enemy
// pieces' attacks on the squares around it, scaled by how much of its
// material the enemy still has. `enemyMaterial` includes its bishop pair.
// Inlined into evaluate (the compiler would not, and the call costs more
// than the body saves in code size).
[[gnu::always_inline]] inline int kingSafety(const Board& board, int colour, const SideTerms& enemy,
                                             int enemyMaterial) {
  const EvalParameters& p = evalParams;
  const Square king = board.kingSquare[colour];
  int shelter = 0;
  if (relativeRank(colour, king) <= 1) {
    const Bitboard pawns = board.pieces(Pawn, colour);
    for (int file = fileOf(king) - 1; file <= fileOf(king) + 1; ++file) {
      if (file < 0 || file > 7) continue;
      const Bitboard onFile = pawns & fileMask[file];
      if (!onFile) {
        shelter -= p.shieldPenalty[0];
        continue;
      }
      // The pawn nearest the own back rank is the one that shields.
      const Square nearest = colour == White ? lowestSquare(onFile) : highestSquare(onFile);
      shelter -= p.shieldPenalty[relativeRank(colour, nearest)];
    }
  }
  const Bitboard zone = kingAttacks[king];
  int units = 2 * popCount(enemy.attacks[MobilityKnight] & zone) + 2 * popCount(enemy.attacks[MobilityBishop] & zone) +
              3 * popCount(enemy.attacks[MobilityRook] & zone) + 5 * popCount(enemy.attacks[MobilityQueen] & zone);
  if (units > 31) units = 31;
  // Personality values are not range-checked: keep the product wide and
  // never divide by a zero material total.
  if (p.fullMaterial == 0) return 0;
  const std::int64_t weighted = std::int64_t{shelter - p.kingAttackWeight[units]} * enemyMaterial;
  return static_cast<int>(divideWide(weighted, p.fullMaterial));
}

int percentOf(const Personality& personality, int colour, std::int32_t own, std::int32_t opp) {
  return colour == personality.rootSide ? own : opp;
}

}  // namespace

int evaluate(const Personality& personality, const Board& board, PawnHashTable& pawnHash) {
  const EvalParameters& p = evalParams;
  const bool scaled = personality.usePersonality != 0;

  // Phase (not clamped: promotions can push it past 24) and known endings.
  const int phase = board.phase[Black] + board.phase[White];
  int drawScale = 32;
  if (phase <= 8) {
    const EndgameVerdict verdict = recogniseEndgame(board);
    if (verdict.final) return verdict.score;
    drawScale = verdict.scale;
  }

  // Material with the bishop pair, and the tempo of the side to move.
  const bool pairW = moreThanOne(board.pieces(Bishop, White)), pairB = moreThanOne(board.pieces(Bishop, Black));
  const int materialMidW = board.material[White] + (pairW ? p.bishopPairMid : 0);
  const int materialMidB = board.material[Black] + (pairB ? p.bishopPairMid : 0);
  const int materialEndW = board.material[White] + (pairW ? p.bishopPairEnd : 0);
  const int materialEndB = board.material[Black] + (pairB ? p.bishopPairEnd : 0);
  const int tempo = board.sideToMove == White ? 1 : -1;
  int mid = materialMidW - materialMidB + tempo * p.tempoMid;
  int end = materialEndW - materialEndB + tempo * p.tempoEnd;

  // Blocked centre pawns and trapped pieces.
  mid += trapsAndBlocks(board);

  // Pawn structure, cached per thread.
  const PawnEntry& pawns = board.pawnKey ? probePawns(pawnHash, board) : NoPawns;
  mid += pawns.scoreMid;
  end += pawns.scoreEnd;

  // Pieces.
  Bitboard pawnAttackSets[2];
  pawnAttackSets[White] = pawnAttackSet(White, board.pieces(Pawn, White));
  pawnAttackSets[Black] = pawnAttackSet(Black, board.pieces(Pawn, Black));
  const SideTerms white = scorePieces(board, White, pawnAttackSets);
  const SideTerms black = scorePieces(board, Black, pawnAttackSets);
  mid += white.mid - black.mid;
  end += white.end - black.end;

  // Passed pawns.
  scorePassedPawns(board, pawns, mid, end);

  // Mobility, weighted per side by a personality.
  if (!scaled) {
    mid += white.mobilityMid - black.mobilityMid;
    end += white.mobilityEnd - black.mobilityEnd;
  } else {
    const std::int64_t pctW = percentOf(personality, White, personality.MobilityOwn, personality.MobilityOpp);
    const std::int64_t pctB = percentOf(personality, Black, personality.MobilityOwn, personality.MobilityOpp);
    mid += static_cast<int>((white.mobilityMid * pctW - black.mobilityMid * pctB) / 100);
    end += static_cast<int>((white.mobilityEnd * pctW - black.mobilityEnd * pctB) / 100);
  }

  // King safety (middle game only).
  int safetyW = kingSafety(board, White, black, materialMidB);
  int safetyB = kingSafety(board, Black, white, materialMidW);
  if (scaled) {
    const std::int64_t pctW = percentOf(personality, White, personality.KingSafetyOwn, personality.KingSafetyOpp);
    const std::int64_t pctB = percentOf(personality, Black, personality.KingSafetyOwn, personality.KingSafetyOpp);
    safetyW = static_cast<int>(safetyW * pctW / 100);
    safetyB = static_cast<int>(safetyB * pctB / 100);
  }
  mid += safetyW - safetyB;

  // Kings' squares.
  const Square kingW = board.kingSquare[White], kingB = board.kingSquare[Black];
  mid += p.pstMid[pieceIndex(King, White)][kingW] - p.pstMid[pieceIndex(King, Black)][kingB];
  end += p.pstEnd[pieceIndex(King, White)][kingW] - p.pstEnd[pieceIndex(King, Black)][kingB];

  // Blend by phase, then scale drawish endings.
  std::int64_t score = divideWide(std::int64_t{phase} * mid + std::int64_t{24 - phase} * end, 24);
  if (drawScale != 32) score = score * drawScale / 32;

  // A personality may blend in noise that is fixed for the position.
  if (scaled && personality.Randomness != 0) {
    const std::int64_t noise = static_cast<std::int64_t>(board.hashKey % 200) - 100;
    const std::int64_t r = personality.Randomness;
    score = ((100 - r) * score + r * noise) / 100;
  }

  // From the side to move's view.
  return static_cast<int>(board.sideToMove == White ? score : -score);
}

int evaluateLazy(const Personality& personality, const Board& board, PawnHashTable& pawnHash, int alpha, int beta) {
  const int balance = board.material[White] - board.material[Black];
  const int m = board.sideToMove == White ? balance : -balance;
  // Far outside the window: the positional terms cannot bring it back.
  constexpr int LazyMargin = 325;
  if (m + LazyMargin < alpha || m - LazyMargin > beta) return m;
  return evaluate(personality, board, pawnHash);
}

}  // namespace talvik
