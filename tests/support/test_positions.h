// Shared helpers for the unit tests: reference positions and board set-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"

namespace talvik::test {

struct PerftReference {
  std::string fen;
  std::vector<std::pair<int, std::uint64_t>> counts;  // (depth, leaves)
};

// The perft reference positions (standard chess first, then Chess960).
const std::vector<PerftReference>& perftReferences();
// Sets up a board from FEN; fails the current test when the text is rejected.
Board boardFromFen(const std::string& fen);
// True in the sanitizer builds, where deep searches are cut short.
constexpr bool sanitizedBuild() {
#ifdef TALVIK_SANITIZED
  return true;
#else
  return false;
#endif
}

}  // namespace talvik::test
