#include "search/strength.h"

#include <gtest/gtest.h>

#include "search/engine.h"

namespace talvik {
namespace {

struct StrengthCase {
  int elo;
  int limitMode;  // uciLimitMode
  double paramA, paramB;
  std::uint64_t nodes, nodesPerSecond;
  bool limited;
  int storedElo;
};

TEST(Strength, EloBecomesANodeBudgetOrARate) {
  const double a = 242.573714, b = 749.87557;
  const StrengthCase cases[] = {
      {1000, 1, a, b, 1358, 0, true, 1000},
      {500, 1, a, b, 1358, 0, true, 1000},         // raised to 1000
      {1000, 0, a, b, 0, 1358, true, 1000},        // nodes per second instead
      {2000, 1, a, b, 83804, 0, true, 2000},
      {3000, 0, a, b, 0, 5171665, true, 3000},
      {3200, 1, a, b, 0, 0, false, 3200},          // full strength
      {4000, 0, a, b, 0, 0, false, 3200},
      {1000, 1, 1000.0, 0.0, 250, 0, true, 1000},  // tiny budgets are raised
      {1000, 0, 1000.0, 0.0, 0, 50, true, 1000},
  };
  for (const StrengthCase& c : cases) {
    Engine engine;
    engine.uciLimitMode = c.limitMode;
    engine.settings.eloNodesParamA = c.paramA;
    engine.settings.eloNodesParamB = c.paramB;
    engine.strengthNodes = engine.npsLimit = 99;  // stale values from an earlier setting
    setStrength(engine, c.elo);
    EXPECT_EQ(engine.strengthNodes, c.nodes) << c.elo;
    EXPECT_EQ(engine.npsLimit, c.nodesPerSecond) << c.elo;
    EXPECT_EQ(engine.strengthLimited != 0, c.limited) << c.elo;
    EXPECT_EQ(engine.strengthElo, c.storedElo);
  }
}

}  // namespace
}  // namespace talvik
