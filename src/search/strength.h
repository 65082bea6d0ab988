// Playing below full strength at a requested Elo rating: the rating becomes
// a search effort N = exp((elo + B) / A), enforced either as a node budget
// per search or as a cap on nodes per second.
#pragma once

#include <cstdint>

namespace talvik {

class Engine;

inline constexpr int MinStrengthElo = 1000;
inline constexpr int MaxStrengthElo = 3200;

// The effort for a rating with the parameters A and B (EloNodesParamA/B).
std::uint64_t eloToNodes(int elo, double paramA, double paramB);
// Sets the limit for `elo` (raised to 1000; 3200 and above remove every
// limit) in the engine's mode: uciLimitMode 1 a node budget (at least 250
// nodes), otherwise a nodes-per-second cap (at least 50). Logs the result.
void setStrength(Engine& engine, int elo);

}  // namespace talvik
