// The machine's one-minute load average, printed next to timing figures:
// on a shared machine they mean little without it.
#pragma once

#include <cstdio>

namespace talvik {

inline double loadAverage() {
  double load = 0;
  if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(file, "%lf", &load) != 1) load = 0;
    std::fclose(file);
  }
  return load;
}

}  // namespace talvik
