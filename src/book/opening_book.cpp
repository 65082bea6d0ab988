#include "book/opening_book.h"

namespace talvik {

// No book file format is read yet: every position is out of book.
Move probeBook(Engine& engine) {
  (void)engine;
  return NoMove;
}

}  // namespace talvik
