// Protocol mode: reading command lines, choosing the protocol from the first
// one, handing searches to the main thread, and the main loop in its two
// input modes (an input thread, or polling from inside the search).
#pragma once

#include <string_view>

namespace talvik {

class Engine;
class InputReader;

enum ProtocolId : int { SelectorProtocolId = 0, UciProtocolId = 1, XboardProtocolId = 2 };

// Replaces the installed handler: 0 the selector, 1 UCI, 2 XBoard (logged as
// "using protocol UCI" / "using protocol XBoard"; the new handler's start()
// runs at once). The engine's report sink falls back to its own do-nothing
// sink until the new handler installs its sink.
void setProtocol(Engine& engine, int id);

// Reads one line from standard input, logs it ("<< "), and hands it to the
// installed handler; a handler that answers false requests the program's
// end. Returns false only at the end of input, which is treated like "quit":
// a running search is aborted and the main loop ends.
bool readLine(Engine& engine);
// What readLine does with a line once it has been read and logged.
void handleCommandLine(Engine& engine, std::string_view line);
// True when a line (or the end of input) is waiting on standard input. The
// polling search calls it at its periodic checks, then pollInput.
bool inputWaiting();
// Standard input as the front-end reads it.
InputReader& standardInput();

// Begins a search for a protocol command. With the input thread the search
// is handed to the main thread and this returns at once; in polling mode the
// search runs here and this returns when it has ended. A search asked for
// while one runs on this thread (a report that starts pondering) runs after
// it, never inside it.
void startSearch(Engine& engine, int mode);
// Polling mode: a command that needs the engine at rest arrived inside a
// search, which is being stopped. The line is handled once the search has
// ended, before any later input.
void deferLine(std::string_view line);
// Sets quitRequested and wakes the main thread.
void requestQuit(Engine& engine);

// Runs protocol mode on standard input and output until "quit" or the end of
// input, then leaves it: tears the engine down, stops the input thread and
// destroys the handler. Returns the exit status.
int runProtocolMode(Engine& engine);

}  // namespace talvik
