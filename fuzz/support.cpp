#include "support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "search/engine.h"

namespace talvik::fuzz {

Engine& engine() {
  static Engine* instance = [] {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    auto* e = new Engine();
    e->initialise(1);
    e->newGame();
    return e;
  }();
  return *instance;
}

const std::string& scratchFile(const std::uint8_t* data, std::size_t size) {
  static const std::string name = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm/talvik-fuzz-" : "/tmp/talvik-fuzz-") + std::to_string(::getpid());
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file) {
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return name;
}

}  // namespace talvik::fuzz
