#include "base/data_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace talvik {

namespace {

bool isDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string findSharedDataDirectory() {
  // The executable's own path, not argv[0]: a GUI may start it through the
  // search path or a symbolic link.
  char exe[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return {};
  std::string path(exe, static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  path.resize(slash);
  path += "/../share/talvik";
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) == nullptr || !isDirectory(resolved)) return {};
  return resolved;
}

}  // namespace

const std::string& sharedDataDirectory() {
  static const std::string directory = findSharedDataDirectory();
  return directory;
}

std::string locateDataFile(const std::string& name) {
  if (name.empty() || name.front() == '/' || isFile(name)) return name;
  const std::string& shared = sharedDataDirectory();
  if (shared.empty()) return name;
  const std::string installed = shared + "/" + name;
  return isFile(installed) ? installed : name;
}

}  // namespace talvik
