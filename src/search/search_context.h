// One thread's working record for one search.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/move.h"

namespace talvik {

class Engine;
class SearchThread;
class ThreadPool;
class TransTable;
struct Personality;

struct SearchContext {
  Engine* engine = nullptr;
  SearchThread* thread = nullptr;
  ThreadPool* pool = nullptr;
  Personality* evalContext = nullptr;
  TransTable* transTable = nullptr;
  std::uint16_t (*historyBase)[64] = nullptr;  // the thread's history table

  std::uint64_t nodes = 0;
  int selDepth = 0;
  Board board{};
  // Keys of the positions before each move of the game and the search path,
  // oldest first. The driver copies only the game's recent keys (positions
  // older than the fifty-move horizon cannot repeat), leaving room for the
  // deepest search path.
  int repCount = 0;
  std::uint64_t repKeys[256]{};
  Move moveStack[128]{};  // the move made at each ply (0 for a null move)
  int pvLength[128]{};
  Move pvTable[128][128]{};  // triangular principal variation
  std::uint8_t useNodeBudget = 0;
};

}  // namespace talvik
