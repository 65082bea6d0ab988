#include "eval/personality_file.h"

#include <cstdint>

#include "base/config.h"
#include "base/data_files.h"
#include "base/logger.h"
#include "eval/parameters.h"

namespace talvik {

namespace {

struct PersonalityKey {
  const char* name;
  std::int32_t Personality::*field;
  // The value when the file leaves the key out. For several pawn and rook
  // weights it is not the built-in default; existing personality files were
  // written against these values.
  std::int32_t missingValue;
};

constexpr PersonalityKey PersonalityKeys[] = {
    {"PawnValue", &Personality::PawnValue, 100},
    {"KnightValue", &Personality::KnightValue, 325},
    {"BishopValue", &Personality::BishopValue, 325},
    {"RookValue", &Personality::RookValue, 500},
    {"QueenValue", &Personality::QueenValue, 975},
    {"BishopPair", &Personality::BishopPair, 50},
    {"PawnDoubledMid", &Personality::PawnDoubledMid, 10},
    {"PawnDoubledEnd", &Personality::PawnDoubledEnd, 10},
    {"PawnIsolatedMid", &Personality::PawnIsolatedMid, 20},
    {"PawnIsolatedEnd", &Personality::PawnIsolatedEnd, 20},
    {"PawnBackwardMid", &Personality::PawnBackwardMid, 10},
    {"PawnBackwardEnd", &Personality::PawnBackwardEnd, 10},
    {"RookOpenFileMid", &Personality::RookOpenFileMid, 20},
    {"RookOpenFileEnd", &Personality::RookOpenFileEnd, 20},
    {"RookSemiOpenFileMid", &Personality::RookSemiOpenFileMid, 10},
    {"RookSemiOpenFileEnd", &Personality::RookSemiOpenFileEnd, 10},
    {"Rook7thRankMid", &Personality::Rook7thRankMid, 20},
    {"Rook7thRankEnd", &Personality::Rook7thRankEnd, 20},
    {"KingSafetyOwn", &Personality::KingSafetyOwn, 100},
    {"KingSafetyOpp", &Personality::KingSafetyOpp, 100},
    {"MobilityOwn", &Personality::MobilityOwn, 100},
    {"MobilityOpp", &Personality::MobilityOpp, 100},
    {"Randomness", &Personality::Randomness, 0},
};

}  // namespace

bool loadPersonality(Personality& personality, const std::string& fileName) {
  Config config;
  const std::string path = locateDataFile(fileName);
  if (!loadConfig(config, path)) {
    installParameters(personality, false);
    personality.usePersonality = 0;
    return false;
  }
  logInfo("load personality %s", path.c_str());
  for (const PersonalityKey& key : PersonalityKeys)
    personality.*key.field = configInt(config, key.name, key.missingValue);
  installParameters(personality, true);
  personality.usePersonality = 1;
  return true;
}

}  // namespace talvik
