#include "base/write_all.h"

#include <unistd.h>

#include <cerrno>

namespace talvik {

void writeAll(int fd, std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0 || errno != EINTR) {
      return;
    }
  }
}

}  // namespace talvik
