// The process-wide evaluation parameter set.
//
// One set serves every search thread. It is written only between searches
// (installParameters, setParameter) and read without locks while searches
// run. Piece values live in the Board's `pieceValue` array, because every
// Board keeps incremental material sums built from them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "eval/personality.h"

namespace talvik {

// The four piece kinds that have mobility tables.
enum MobilityKind : int { MobilityKnight = 0, MobilityBishop, MobilityRook, MobilityQueen };
// Largest attack count per kind: knight 8, bishop 13, rook 14, queen 27.
inline constexpr int MobilityRange[4] = {8, 13, 14, 27};

struct EvalParameters {
  std::int32_t bishopPairMid, bishopPairEnd;
  std::int32_t tempoMid, tempoEnd;  // side-to-move bonus

  std::int32_t pawnDoubledMid, pawnDoubledEnd;
  std::int32_t pawnIsolatedMid, pawnIsolatedEnd;
  std::int32_t pawnBackwardMid, pawnBackwardEnd;

  std::int32_t rookOpenFileMid, rookOpenFileEnd;          // no pawns on the file
  std::int32_t rookSemiOpenFileMid, rookSemiOpenFileEnd;  // enemy pawns only
  std::int32_t rook7thRankMid, rook7thRankEnd;

  // Middle-game penalties for pieces that have walked into a known trap.
  std::int32_t blockedCentrePawn, trappedKnight, trappedBishop, trappedRook;

  // Mobility lines in eighths of a centipawn per reachable square.
  std::int32_t mobilitySlopeMid[4], mobilitySlopeEnd[4];
  std::int32_t mobilityOffsetMid[4], mobilityOffsetEnd[4];

  std::int32_t passedMid[8], passedEnd[8];  // by relative rank
  std::int32_t shieldPenalty[8];            // by relative rank of the shelter pawn; [0] = no pawn on the file
  std::int32_t kingAttackWeight[32];        // by attack units
  std::int32_t mateDistance[8];             // lone-king endings, by distance between the kings

  // Stored tables: Black's entries are copied from the built-in tables,
  // White's are the vertical mirror (derived).
  std::int32_t pstMid[16][64], pstEnd[16][64];  // [pieceIndex][square]
  std::int32_t knightOutpost[2][64];            // [colour][square]

  // Derived tables.
  std::int32_t mobilityMid[4][28], mobilityEnd[4][28];  // [kind][reachable squares]
  // Material of one side at the start; king safety scales with the share
  // of it the attacker still has.
  std::int32_t fullMaterial;
};

extern EvalParameters evalParams;

// Counts the changes of the parameter set. A cache of evaluation terms
// remembers the count it was filled under and forgets its entries when the
// count has moved on, so that no score computed with old weights survives a
// change. Written between searches, read by every search thread.
extern std::atomic<std::uint32_t> parameterGeneration;

// Resets every parameter to the built-in defaults; with `fromPersonality`
// the record's eighteen file-settable values then override them. Rebuilds
// the derived tables.
void installParameters(Personality& personality, bool fromPersonality);
// Sets one of PawnValue, KnightValue, BishopValue, RookValue, QueenValue or
// BishopPair (exact, case-sensitive names) from a decimal text and rebuilds
// the derived tables. Other names are ignored (false). The Personality record
// is not changed, so the next install overwrites the value.
bool setParameter(Personality& personality, const std::string& name, const std::string& value);

// Recomputes White's piece-square and outpost tables, the mobility tables and
// fullMaterial from the current parameter set.
void rebuildDerivedTables();

}  // namespace talvik
