// Where the engine finds the files installed with it (personality files, the
// HTML log's style sheet and script, books put there by a packager) when a
// GUI starts it in a working folder of its own.
#pragma once

#include <string>

namespace talvik {

// The installed shared folder, <folder of the executable>/../share/talvik
// (/usr/share/talvik for /usr/games/talvik), or empty when there is none, as
// for a binary in a build folder.
const std::string& sharedDataDirectory();

// A relative name that names no file in the working folder but one in the
// shared folder gives that file's path; any other name comes back unchanged,
// so the working folder always wins.
std::string locateDataFile(const std::string& name);

}  // namespace talvik
