#include "eval/parameters.h"

#include "base/config.h"
#include "base/logger.h"
#include "board/board.h"

namespace talvik {

EvalParameters evalParams;
std::atomic<std::uint32_t> parameterGeneration{0};

namespace {

using SquareTable = std::int32_t[64];

// The tables below are written as White sees the board, rank 8 on the first
// line. Read in source order they index a1 = 0 from Black's side, so they
// are Black's tables as they stand; White's entries are mirrored from them.

constexpr SquareTable PawnMid = {
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  10, 10, 0,  0,  0,   //
    -4, -2, -2, 20, 20, -2, -2, -4,  //
    -2, -1, -1, 10, 10, -1, -1, -2,  //
    0,  0,  0,  0,  0,  0,  0,  0,   //
    0,  0,  0,  0,  0,  0,  0,  0};

constexpr SquareTable KnightMid = {
    -40, -24, -20, -20, -20, -20, -24, -40,  //
    -24, -8,  0,   0,   0,   0,   -8,  -24,  //
    -20, 2,   2,   2,   2,   2,   2,   -20,  //
    -20, 2,   4,   4,   4,   4,   2,   -20,  //
    -20, 2,   8,   8,   8,   8,   2,   -20,  //
    -20, 2,   8,   8,   8,   8,   2,   -20,  //
    -24, -8,  4,   4,   4,   4,   -8,  -24,  //
    -40, -24, -20, -20, -20, -20, -24, -40};

constexpr SquareTable BishopMid = {
    -40, -8, -8, -8, -8, -8, -8, -40,  //
    -8,  0,  0,  0,  0,  0,  0,  -8,   //
    -8,  2,  2,  2,  2,  2,  2,  -8,   //
    -8,  2,  4,  4,  4,  4,  2,  -8,   //
    -8,  2,  6,  8,  8,  6,  2,  -8,   //
    -8,  2,  6,  8,  8,  6,  2,  -8,   //
    -8,  8,  4,  4,  4,  4,  8,  -8,   //
    -40, -8, -8, -8, -8, -8, -8, -40};

constexpr SquareTable RookMid = {
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4,  //
    -4, -2, -1, 0, 0, -1, -2, -4};

// The king belongs behind its pawns in the middle game: the castled squares
// score best, anything beyond the second rank worst.
constexpr SquareTable KingMid = {
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -32, -32, -32, -32, -32, -32, -32, -32,  //
    -16, -16, -16, -16, -16, -16, -16, -16,  //
    -8,  32,  -8,  0,   0,   -8,  32,  -8};

// Knights and bishops share one end-game table: centralise, avoid corners.
constexpr SquareTable MinorEnd = {
    -40, -16, -8, -8, -8, -8, -16, -40,  //
    -16, 0,   2,  2,  2,  2,  0,   -16,  //
    -8,  2,   2,  4,  4,  2,  2,   -8,   //
    -8,  2,   4,  8,  8,  4,  2,   -8,   //
    -8,  2,   4,  8,  8,  4,  2,   -8,   //
    -8,  2,   2,  4,  4,  2,  2,   -8,   //
    -16, 0,   2,  2,  2,  2,  0,   -16,  //
    -40, -16, -8, -8, -8, -8, -16, -40};

constexpr SquareTable QueenEnd = {
    -32, -16, -2, -2, -2, -2, -16, -32,  //
    -16, 0,   8,  8,  8,  8,  0,   -16,  //
    -2,  8,   10, 12, 12, 10, 8,   -2,   //
    -2,  8,   12, 16, 16, 12, 8,   -2,   //
    -2,  8,   12, 16, 16, 12, 8,   -2,   //
    -2,  8,   10, 12, 12, 10, 8,   -2,   //
    -16, 0,   8,  8,  8,  8,  0,   -16,  //
    -32, -16, -2, -2, -2, -2, -16, -32};

constexpr SquareTable KingEnd = {
    -50, -30, -30, -30, -30, -30, -30, -50,  //
    -30, 0,   0,   0,   0,   0,   0,   -30,  //
    -30, 0,   16,  16,  16,  16,  0,   -30,  //
    -30, 0,   16,  32,  32,  16,  0,   -30,  //
    -30, 0,   16,  32,  32,  16,  0,   -30,  //
    -30, 0,   16,  16,  16,  16,  0,   -30,  //
    -30, 0,   0,   0,   0,   0,   0,   -30,  //
    -50, -30, -30, -30, -30, -30, -30, -50};

// A knight on an advanced central square that no enemy pawn can chase away.
// Only files a..d matter: the other half is mirrored from them.
constexpr SquareTable KnightOutpost = {
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 16, 32, 32, 16, 0, 0,  //
    0, 8, 16, 32, 32, 16, 8, 0,  //
    0, 8, 16, 16, 16, 16, 8, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0,  //
    0, 0, 0,  0,  0,  0,  0, 0};

constexpr SquareTable Zero = {};

// [type]: the stored middle-game and end-game tables.
constexpr const SquareTable* StoredMid[7] = {&Zero, &PawnMid, &KnightMid, &BishopMid, &RookMid, &Zero, &KingMid};
constexpr const SquareTable* StoredEnd[7] = {&Zero, &Zero, &MinorEnd, &MinorEnd, &Zero, &QueenEnd, &KingEnd};

template <std::size_t N>
void copyArray(std::int32_t (&to)[N], const std::int32_t (&from)[N]) {
  for (std::size_t i = 0; i < N; ++i) to[i] = from[i];
}

void setBuiltInDefaults(EvalParameters& p) {
  pieceValue[NoPiece] = 0;
  pieceValue[Pawn] = 100;
  pieceValue[Knight] = 325;
  pieceValue[Bishop] = 325;
  pieceValue[Rook] = 500;
  pieceValue[Queen] = 975;
  pieceValue[King] = 0;
  pieceValue[7] = 0;

  p.bishopPairMid = p.bishopPairEnd = 50;
  p.tempoMid = p.tempoEnd = 5;
  p.pawnDoubledMid = 10;
  p.pawnDoubledEnd = 20;
  p.pawnIsolatedMid = 10;
  p.pawnIsolatedEnd = 15;
  p.pawnBackwardMid = 15;
  p.pawnBackwardEnd = 15;
  p.rookOpenFileMid = 30;
  p.rookOpenFileEnd = 10;
  p.rookSemiOpenFileMid = 20;
  p.rookSemiOpenFileEnd = 10;
  p.rook7thRankMid = 10;
  p.rook7thRankEnd = 30;
  p.blockedCentrePawn = 20;
  p.trappedKnight = 100;
  p.trappedBishop = 100;
  p.trappedRook = 50;

  copyArray(p.mobilitySlopeMid, {48, 48, 32, 16});
  copyArray(p.mobilitySlopeEnd, {40, 40, 40, 24});
  copyArray(p.mobilityOffsetMid, {0, 0, 0, 0});
  copyArray(p.mobilityOffsetEnd, {0, 0, 0, 0});

  copyArray(p.passedMid, {0, 0, 0, 10, 21, 45, 95, 0});
  copyArray(p.passedEnd, {0, 10, 10, 21, 43, 90, 191, 0});
  copyArray(p.shieldPenalty, {50, 0, 10, 20, 30, 30, 30, 50});
  copyArray(p.kingAttackWeight, {0,   2,   4,   8,   11,  16,  23,  31,  41,  54,  69,  89,  113, 142, 176, 216,
                                 262, 314, 371, 431, 494, 556, 616, 673, 725, 771, 811, 845, 874, 898, 918, 933});
  copyArray(p.mateDistance, {0, 0, 25, 20, 15, 10, 5, 0});

  for (int type = 0; type < 8; ++type) {
    for (Square sq = 0; sq < 64; ++sq) {
      p.pstMid[pieceIndex(type, Black)][sq] = type < 7 ? (*StoredMid[type])[sq] : 0;
      p.pstEnd[pieceIndex(type, Black)][sq] = type < 7 ? (*StoredEnd[type])[sq] : 0;
    }
  }
  copyArray(p.knightOutpost[Black], KnightOutpost);
}

void applyPersonality(EvalParameters& p, const Personality& personality) {
  pieceValue[Pawn] = personality.PawnValue;
  pieceValue[Knight] = personality.KnightValue;
  pieceValue[Bishop] = personality.BishopValue;
  pieceValue[Rook] = personality.RookValue;
  pieceValue[Queen] = personality.QueenValue;
  p.bishopPairMid = p.bishopPairEnd = personality.BishopPair;
  p.pawnDoubledMid = personality.PawnDoubledMid;
  p.pawnDoubledEnd = personality.PawnDoubledEnd;
  p.pawnIsolatedMid = personality.PawnIsolatedMid;
  p.pawnIsolatedEnd = personality.PawnIsolatedEnd;
  p.pawnBackwardMid = personality.PawnBackwardMid;
  p.pawnBackwardEnd = personality.PawnBackwardEnd;
  p.rookOpenFileMid = personality.RookOpenFileMid;
  p.rookOpenFileEnd = personality.RookOpenFileEnd;
  p.rookSemiOpenFileMid = personality.RookSemiOpenFileMid;
  p.rookSemiOpenFileEnd = personality.RookSemiOpenFileEnd;
  p.rook7thRankMid = personality.Rook7thRankMid;
  p.rook7thRankEnd = personality.Rook7thRankEnd;
}

}  // namespace

void rebuildDerivedTables() {
  EvalParameters& p = evalParams;
  for (int type = Pawn; type <= King; ++type) {
    for (Square sq = 0; sq < 64; ++sq) {
      p.pstMid[pieceIndex(type, White)][sq] = p.pstMid[pieceIndex(type, Black)][mirrorSquare(sq)];
      p.pstEnd[pieceIndex(type, White)][sq] = p.pstEnd[pieceIndex(type, Black)][mirrorSquare(sq)];
    }
  }
  for (Square sq = 0; sq < 64; ++sq)
    if (fileOf(sq) >= 4) p.knightOutpost[Black][sq] = p.knightOutpost[Black][sq ^ 7];
  for (Square sq = 0; sq < 64; ++sq) p.knightOutpost[White][sq] = p.knightOutpost[Black][mirrorSquare(sq)];

  for (int kind = MobilityKnight; kind <= MobilityQueen; ++kind) {
    for (int n = 0; n < 28; ++n) {
      const bool reachable = n <= MobilityRange[kind];
      p.mobilityMid[kind][n] = reachable ? n * p.mobilitySlopeMid[kind] / 8 - p.mobilityOffsetMid[kind] : 0;
      p.mobilityEnd[kind][n] = reachable ? n * p.mobilitySlopeEnd[kind] / 8 - p.mobilityOffsetEnd[kind] : 0;
    }
  }

  // Computed wide: a personality may hold any values, and the sum must not
  // overflow on its way to the 32-bit field.
  const std::int64_t full = std::int64_t{pieceValue[Queen]} +
                            2 * (std::int64_t{pieceValue[Knight]} + 4 * std::int64_t{pieceValue[Pawn]} +
                                 pieceValue[Bishop] + pieceValue[Rook]);
  p.fullMaterial = static_cast<std::int32_t>(full);
}

void installParameters(Personality& personality, bool fromPersonality) {
  setBuiltInDefaults(evalParams);
  if (fromPersonality) {
    logInfo("init personality");
    applyPersonality(evalParams, personality);
  }
  rebuildDerivedTables();
  parameterGeneration.fetch_add(1, std::memory_order_relaxed);
}

bool setParameter(Personality& personality, const std::string& name, const std::string& value) {
  (void)personality;  // deliberately untouched: a later install restores the record's values
  std::int32_t* target = nullptr;
  if (name == "PawnValue")
    target = &pieceValue[Pawn];
  else if (name == "KnightValue")
    target = &pieceValue[Knight];
  else if (name == "BishopValue")
    target = &pieceValue[Bishop];
  else if (name == "RookValue")
    target = &pieceValue[Rook];
  else if (name == "QueenValue")
    target = &pieceValue[Queen];
  else if (name == "BishopPair")
    target = &evalParams.bishopPairMid;
  if (!target) return false;
  *target = parseDecimal(value);
  if (target == &evalParams.bishopPairMid) evalParams.bishopPairEnd = evalParams.bishopPairMid;
  rebuildDerivedTables();
  parameterGeneration.fetch_add(1, std::memory_order_relaxed);
  return true;
}

}  // namespace talvik
