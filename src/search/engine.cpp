#include "search/engine.h"

#include <cstring>

#include "base/logger.h"
#include "book/opening_book.h"
#include "eval/parameters.h"
#include "search/reductions.h"

namespace talvik {

int drawScore = 0;
int minSplitDepth = 8;

Engine::Engine() {
  setupStartPosition(board);
  pool.engine = this;
}

Engine::~Engine() { pool.destroyThreads(); }

void Engine::initialise(int hashMegabytes) {
  initBitboardTables();
  installParameters(evalContext, false);
  repCount = 0;
  transTable.allocate(hashMegabytes);
  logInfo("Pawns hash table size : %d Kb by thread", 2048);
  gameMoves.clear();
  gameUndo.clear();
  setupStartPosition(board);
  startFullmove = 1;
  initReductionTables();
  pool.engine = this;
  pool.createThreads();
  mainThreadRef = pool.mainThread;
}

void Engine::newGame() {
  gameMoves.clear();
  gameUndo.clear();
  defaultClockMs = 300000;
  limitMode = LimitMoveTime;
  depthLimit = 8;
  depthCap = 0;
  nodeCap = 0;
  mateMoves = 0;
  searchMoveCount = 0;
  searchesThisGame = 0;
  searching = 0;
  pondering = 0;
  pollCounter = 0;
  timeBudgetUs = 7500;
  increment[Black] = increment[White] = 0;
  movesToGo = 40;
  nodeLimit = 2000000;
  moveTimeUs = 5000000;
  repCount = 0;
  setupStartPosition(board);
  startFullmove = 1;
  if (transTable.allocated()) transTable.clear();
  clockMs[Black] = static_cast<float>(defaultClockMs);
  clockMs[White] = static_cast<float>(defaultClockMs);
}

int Engine::takeBack() {
  if (gameMoves.empty()) return 0;
  unmakeMove(board, gameMoves.back(), gameUndo.back());
  gameMoves.pop_back();
  gameUndo.pop_back();
  // Rebuild the repetition list: only positions since the last irreversible move.
  repCount = 0;
  for (std::size_t i = 0; i < gameMoves.size(); ++i) {
    pushRepetitionKey(gameUndo[i].hashKey);
    if (isIrreversible(gameMoves[i])) repCount = 0;
  }
  return 1;
}

void Engine::requestAbort() {
  if (searching) {
    stopRequest = StopAbort;
    pollCounter = pollInterval.load();
  }
}

void Engine::tearDown() {
  pondering = 0;
  ponderEnabled = 0;
  requestAbort();
  pool.destroyThreads();
  mainThreadRef = nullptr;
  transTable.release();
  std::memset(&board, 0, sizeof board);
}

void Engine::pushRepetitionKey(std::uint64_t key) {
  if (repCount >= RepetitionCapacity) {
    constexpr int Keep = RepetitionCapacity / 2;
    std::memmove(repKeys, repKeys + repCount - Keep, Keep * sizeof repKeys[0]);
    repCount = Keep;
  }
  repKeys[repCount++] = key;
}

void Engine::playMove(Move move) {
  pushRepetitionKey(board.hashKey);
  if (isIrreversible(move)) repCount = 0;
  UndoRecord undo;
  makeMove(board, move, undo);
  gameMoves.push_back(move);
  gameUndo.push_back(undo);
}

int Engine::fullmoveNumber() const {
  const int start = startFullmove > 0 ? startFullmove : 1;
  if (gameUndo.empty()) return start;
  // The side to move when the game line started is the opposite of the
  // side to move after an odd number of plies.
  const int plies = static_cast<int>(gameMoves.size());
  const bool blackStarted = (board.sideToMove == Black) == (plies % 2 == 0);
  return start + (plies + (blackStarted ? 1 : 0)) / 2;
}

bool loadBook(Engine& engine, const std::string& fileName) {
  engine.bookMaxMoves = 20;
  engine.ownBook = loadBookEntries(engine.bookEntries, engine.polyglotEntries, fileName) ? 1 : 0;
  return engine.ownBook != 0;
}

void unloadBook(Engine& engine) {
  engine.ownBook = 0;
  engine.bookEntries.clear();
  engine.bookEntries.shrink_to_fit();
  engine.polyglotEntries.clear();
  engine.polyglotEntries.shrink_to_fit();
}

}  // namespace talvik
