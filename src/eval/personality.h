// The per-engine evaluation record: which side the engine plays in the
// current search, the weights a personality file may set and the scalings
// that only a personality provides.
#pragma once

#include <cstdint>

namespace talvik {

struct Personality {
  std::int32_t rootSide = 1;  // colour the engine plays in the current search
  std::int32_t PawnValue = 100;
  std::int32_t KnightValue = 325;
  std::int32_t BishopValue = 325;
  std::int32_t RookValue = 500;
  std::int32_t QueenValue = 975;
  std::int32_t BishopPair = 50;
  std::int32_t PawnDoubledMid = 10;
  std::int32_t PawnDoubledEnd = 20;
  std::int32_t PawnIsolatedMid = 10;
  std::int32_t PawnIsolatedEnd = 15;
  std::int32_t PawnBackwardMid = 15;
  std::int32_t PawnBackwardEnd = 15;
  std::int32_t RookOpenFileMid = 30;
  std::int32_t RookOpenFileEnd = 10;
  std::int32_t RookSemiOpenFileMid = 20;
  std::int32_t RookSemiOpenFileEnd = 10;
  std::int32_t Rook7thRankMid = 10;
  std::int32_t Rook7thRankEnd = 30;
  std::int32_t KingSafetyOwn = 100;
  std::int32_t KingSafetyOpp = 100;
  std::int32_t MobilityOwn = 100;
  std::int32_t MobilityOpp = 100;
  std::int32_t Randomness = 0;
  std::uint8_t usePersonality = 0;  // the five scalings apply only while set
};

}  // namespace talvik
