// Search threads and their pool. Thread 0 is the program's main thread; the
// others exist only to help at split points.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "board/move.h"
#include "eval/pawn_hash.h"
#include "search/relaxed.h"

namespace talvik {

class Engine;
class ThreadPool;
struct SplitPoint;

class SearchThread {
 public:
  SearchThread(ThreadPool* pool, Engine* engine, int index);
  virtual ~SearchThread();
  SearchThread(const SearchThread&) = delete;
  SearchThread& operator=(const SearchThread&) = delete;

  // Clears the move-ordering tables and the node counter (every search start).
  void clearForSearch();

  int id;              // from a process-wide counter of thread objects
  int index;           // 0 for the main thread
  std::uint64_t mask;  // 1 << index
  ThreadPool* pool;
  Engine* engine;
  SplitPoint* activeSplit = nullptr;
  Relaxed<std::uint8_t> busy{0};
  int splitCount = 0;
  Relaxed<std::uint64_t> nodes{0};  // nodes searched by this thread in the current search

  // Move-ordering tables of this thread.
  std::uint16_t history[16][64];      // [colour * 8 + piece type][to square]
  Move counterMoves[2][64][64];       // [side to move][from][to] of the opponent's last move
  Move killers[128][2];               // by ply, newest first
  PawnHashTable pawnHash;
};

class ThreadPool {
 public:
  ThreadPool() = default;
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  void createThreads();
  // Nothing when n is the current count; else clamps to 1..64 and recreates.
  void setThreadCount(int n);
  void destroyThreads();
  // Sum of the threads' node counters.
  std::uint64_t totalNodes() const;

  std::mutex poolLock;
  Engine* engine = nullptr;
  SearchThread* mainThread = nullptr;
  std::vector<std::unique_ptr<SearchThread>> threads;
  int threadCount = 1;
};

}  // namespace talvik
