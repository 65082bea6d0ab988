// The perft family: leaf counts of the legal move tree, split by root move
// (divide) or with the kinds of the leaf moves (perftd), with time and speed.
// They check the move generator and make/unmake against published counts.
//
// Depth: a tree of depth 0 is its root alone, so perft 0 counts 1 leaf and
// perftd 0 describes the root position (no move leads to it, so only the
// check and mate counters can be set). Negative depths count as 0. Divide
// lists the root moves and so treats any depth below 2 as 1. Depths above
// MaxPerftDepth are cut to it: the recursion uses one stack frame per ply.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

class Engine;

inline constexpr int MaxPerftDepth = 127;

struct PerftCounters {
  std::uint64_t nodes = 0;
  std::uint64_t captures = 0;  // en-passant captures included
  std::uint64_t enPassant = 0;
  std::uint64_t promotions = 0;
  std::uint64_t castles = 0;
  std::uint64_t checks = 0;  // leaf positions with the side to move in check
  std::uint64_t mates = 0;   // ... and without a legal reply
};

struct DivideEntry {
  std::uint64_t count = 0;
  char moveText[16] = {};  // long algebraic: Ng1-f3, e5xd6e.p, e7-e8=Q, O-O
};

// The depth a perft tool counts for a requested depth (see above).
int perftDepth(int requested);
// Leaves below `board` at `depth` (perftDepth applied).
std::uint64_t perftCount(Board& board, int depth);
PerftCounters perftDetailed(Board& board, int depth);
// Fills one entry per legal root move in generation order and returns how
// many; `entries` has room for MaxMoves.
int divideRootMoves(Board& board, int depth, DivideEntry* entries);
// Leaves per second; an elapsed time of 0 (or less) counts as 16 ms, the
// granularity of the coarsest clocks.
std::int64_t perftSpeed(std::uint64_t leaves, std::int64_t elapsedUs);

// The reports, line by line through the protocol output, on the engine's
// current position, which they leave as they found it.
void runPerft(Engine& engine, int depth);
void runDivide(Engine& engine, int depth);
void runPerftDetailed(Engine& engine, int depth);

}  // namespace talvik
