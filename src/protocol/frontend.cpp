#include "protocol/frontend.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "app/build_info.h"
#include "search/engine.h"

namespace talvik {

void installProtocolSelector(Engine& engine) { engine.protocolId = 0; }

int runProtocolMode(Engine& engine) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::printf("%s\n", bannerText().c_str());
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.rfind("quit", 0) == 0) break;
  }
  engine.tearDown();
  return 0;
}

}  // namespace talvik
