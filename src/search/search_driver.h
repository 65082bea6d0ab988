// The search driver: one "go" into one best move.
#pragma once

namespace talvik {

class Engine;

// Runs a whole search on the engine's game position and reports through the
// engine's report sink (reportBestMove last). `ponder` is the protocol's
// request to ponder. Runs on the calling thread until the search ends.
void searchRoot(Engine& engine, bool ponder);

}  // namespace talvik
