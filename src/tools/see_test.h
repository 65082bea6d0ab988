// The static-exchange timing test: every generated move of every position of
// an EPD file goes through the exchange evaluator.
#pragma once

#include <string>

namespace talvik {

class Engine;

struct SeeTestCounts {
  int positions = 0;
  int exchanges = 0;
};

// Returns 1, or 0 when the file cannot be opened.
int runSeeTest(Engine& engine, const std::string& fileName, SeeTestCounts* counts = nullptr);

}  // namespace talvik
