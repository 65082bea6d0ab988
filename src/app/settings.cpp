#include "app/settings.h"

#include <algorithm>

namespace talvik {

void applySettings(EngineSettings& s, const Config& config) {
  s.hashMb = std::clamp(configInt(config, "Hash", 0), 1, 2048);
  s.book = configInt(config, "Book", 0);
  s.bookFile = configString(config, "BookFile", "talvikbook-20.bin");
  s.bookSelectivity = std::clamp(configInt(config, "BookSelectivity", 100), 1, 100);
  s.useStrength = configInt(config, "UseStrength", 0);
  s.strengthElo = s.useStrength != 0 ? configInt(config, "StrengthELO", 3200) : 3200;
  s.uciLimitMode = configInt(config, "UCILimitMode", 0);
  s.maxThreads = std::clamp(configInt(config, "MaxThreads", 1), 1, 64);
  s.minSplitDepth = std::max(configInt(config, "MinSplitDepth", 4), 1);
  s.usePersonality = configInt(config, "UsePersonality", 0);
  s.usePersonalityIsOne = s.usePersonality == 1;
  if (s.usePersonality != 0) s.strengthElo = 3200;
  s.personalityFile = configString(config, "PersonalityFile", "");
  s.logLevel = configInt(config, "LogLevel", 0);
  s.logFormat = configInt(config, "LogFormat", 0);
  s.logPid = configInt(config, "LogPID", 0);
  s.useNullMovePruning = configInt(config, "UseNullMovePruning", 1);
  s.useLMR = configInt(config, "UseLMR", 1);
  s.drawScore = configInt(config, "DrawScore", 0);
  s.moveOverheadMs = std::clamp(configInt(config, "MoveOverhead", DefaultMoveOverheadMs), 0, MaxMoveOverheadMs);
  s.useInputThread = configInt(config, "UseInputThread", 1);
  s.syzygyPath = configString(config, "SyzygyPath", "");
  if (s.syzygyPath == "<empty>") s.syzygyPath.clear();
  s.syzygyProbeDepth = std::clamp(configInt(config, "SyzygyProbeDepth", 1), 1, 100);
  s.syzygy50MoveRule = configInt(config, "Syzygy50MoveRule", 1) != 0 ? 1 : 0;
  s.syzygyProbeLimit = std::clamp(configInt(config, "SyzygyProbeLimit", 7), 0, 7);
  s.usePersonalityOptions = configInt(config, "UsePersonalityOptions", 0);
  s.eloNodesParamA = configReal(config, "EloNodesParamA", 242.573714);
  s.eloNodesParamB = configReal(config, "EloNodesParamB", 749.87557);
}

bool readSettings(EngineSettings& settings, const std::string& fileName) {
  Config config;
  settings.configFound = loadConfig(config, fileName);
  if (settings.configFound) applySettings(settings, config);
  return settings.configFound;
}

}  // namespace talvik
