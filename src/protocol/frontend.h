// Protocol mode: reading command lines, choosing the protocol from the first
// one, writing replies, and handing searches to the main thread.
#pragma once

namespace talvik {

class Engine;

// Installs the protocol selector (the state before the first command).
void installProtocolSelector(Engine& engine);
// Runs protocol mode on standard input and output until "quit" or the end of
// input, then leaves it cleanly. Returns the exit status.
int runProtocolMode(Engine& engine);

}  // namespace talvik
