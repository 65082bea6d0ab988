#include "search/strength.h"

#include <algorithm>
#include <cmath>

#include "base/logger.h"
#include "search/engine.h"

namespace talvik {

namespace {
constexpr std::uint64_t MinNodeBudget = 250;
constexpr std::uint64_t MinNodesPerSecond = 50;
}  // namespace

std::uint64_t eloToNodes(int elo, double paramA, double paramB) {
  const double nodes = std::exp((elo + paramB) / paramA);
  // Out-of-range parameters must not turn into undefined conversions.
  if (!(nodes >= 0.0)) return 0;
  if (nodes >= 1.8e19) return UINT64_MAX;
  return static_cast<std::uint64_t>(nodes);
}

void setStrength(Engine& engine, int elo) {
  engine.strengthNodes = 0;
  engine.npsLimit = 0;
  if (elo >= MaxStrengthElo) {
    engine.strengthElo = MaxStrengthElo;
    engine.strengthLimited = 0;
    logInfo("set engine strength to maximum");
    return;
  }
  elo = std::max(elo, MinStrengthElo);
  engine.strengthElo = elo;
  engine.strengthLimited = 1;
  const std::uint64_t nodes = eloToNodes(elo, engine.settings.eloNodesParamA, engine.settings.eloNodesParamB);
  if (engine.uciLimitMode == 1) {
    engine.strengthNodes = std::max(nodes, MinNodeBudget);
    logInfo("set engine strength to %d ELO (%llu nodes)", elo, static_cast<unsigned long long>(engine.strengthNodes));
  } else {
    engine.npsLimit = std::max(nodes, MinNodesPerSecond);
    logInfo("set engine strength to %d ELO (%llu node/s)", elo, static_cast<unsigned long long>(engine.npsLimit));
  }
}

}  // namespace talvik
