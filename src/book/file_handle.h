// A C standard I/O file that closes itself, for the book and PGN readers.
#pragma once

#include <cstdio>
#include <memory>

namespace talvik {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace talvik
