// Shared pieces of the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talvik {

class Engine;

namespace fuzz {

// One engine for the whole run, initialised with a 1 MB hash table; standard
// output goes to /dev/null so that protocol replies do not flood the console.
Engine& engine();
// The fuzzer's bytes as text.
inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}
// Writes the bytes to this process's scratch file and returns its name (for
// the readers that take a file name).
const std::string& scratchFile(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
}  // namespace talvik
