// Search threads and their pool. Thread 0 is the program's main thread; the
// others exist only to help at split points, and sleep on their own
// condition variable while nobody needs them.
//
// Locks are always taken in the order: the pool's poolLock, then a split
// point's lock, then a thread's lock. No lock is held during a search call.
#pragma once

#include <pthread.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "board/move.h"
#include "eval/pawn_hash.h"
#include "search/node_counter.h"
#include "search/relaxed.h"
#include "search/split_point.h"

namespace talvik {

class Engine;
class ThreadPool;

inline constexpr int MaxSearchThreads = 64;
// Split points one thread may master at once; bounds the nesting of
// waiting masters on one stack.
inline constexpr int MaxSplitsPerThread = 8;

class SearchThread {
 public:
  SearchThread(ThreadPool* pool, Engine* engine, int index);
  virtual ~SearchThread();
  SearchThread(const SearchThread&) = delete;
  SearchThread& operator=(const SearchThread&) = delete;

  // The body of a helper thread: waits for work until asked to exit.
  virtual void run();
  // Clears the move-ordering tables and the node counter (every search start).
  void clearForSearch();
  // Works at the split points this thread is given. With `waitFor` (a split
  // point this thread masters) it returns once every thread has left that
  // split point; without, once the thread is asked to exit.
  void idleLoop(SplitPoint* waitFor);

  pthread_t handle{};
  int id;  // from a process-wide counter of thread objects
  Relaxed<std::uint8_t> exitRequested{0};
  std::uint8_t started = 0;  // an OS thread runs `run` (never for thread 0)
  std::mutex lock;
  std::condition_variable wake;
  int index;           // 0 for the main thread
  std::uint64_t mask;  // 1 << index
  ThreadPool* pool;
  Engine* engine;
  // The split point the thread works at (set by the master that books it).
  Relaxed<SplitPoint*> activeSplit{nullptr};
  // The thread has work: it searches, or a master has booked it.
  Relaxed<std::uint8_t> busy{0};
  Relaxed<int> splitCount{0};  // split points this thread masters
  // Nodes searched by this thread in the current search, counted at every
  // node: away from the fields above, which other threads poll.
  alignas(64) NodeCounter nodes;
  NodeCounter tableHits;  // endgame-table probes that answered
  SplitPoint splits[MaxSplitsPerThread];

  // Move-ordering tables of this thread.
  std::uint16_t history[16][64];      // [colour * 8 + piece type][to square]
  Move counterMoves[2][64][64];       // [side to move][from][to] of the opponent's last move
  Move killers[128][2];               // by ply, newest first
  PawnHashTable pawnHash;
};

// Counters of the splits made, for tests and for analysing the parallel
// speed; cumulative until reset.
struct SplitStatistics {
  Relaxed<std::uint64_t> splits{0};
  Relaxed<std::uint64_t> helpersBooked{0};  // threads booked besides the masters
  Relaxed<int> shallowestDepth{1 << 30};    // half-plies
  void reset() {
    splits = 0;
    helpersBooked = 0;
    shallowestDepth = 1 << 30;
  }
};

class ThreadPool {
 public:
  // pthread_create's signature: tests put in a starter that fails.
  using ThreadStarter = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

  ThreadPool() = default;
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  // Destroys the existing threads, then creates `threadCount` of them: the
  // calling thread's object (index 0) and helpers on 4 MB stacks. A helper
  // that cannot be started is left out of the pool, so no split waits on it.
  void createThreads();
  // Nothing when n is the current count; else clamps to 1..64 and recreates
  // the threads. While a search runs the change waits for the next search.
  void setThreadCount(int n);
  // Asks every helper to exit, joins it, and frees all thread objects.
  void destroyThreads();
  // Whether some thread other than `master` could help it now: one without
  // work that masters no split point, or one waiting for its own split
  // point at which `master` works (a thread may only help its helpers, so
  // it is soon back at its own node). Read without locks: a hint that
  // `split` confirms under the pool lock.
  bool idleThreadAvailable(const SearchThread& master) const;
  // Sum of the threads' node counters.
  std::uint64_t totalNodes() const;
  std::uint64_t totalTableHits() const;

  // Brackets a search: thread-count changes made meanwhile are applied at
  // the next beginSearch, never under a running search.
  void beginSearch();
  void endSearch();

  std::mutex poolLock;
  Engine* engine = nullptr;
  SearchThread* mainThread = nullptr;
  std::vector<std::unique_ptr<SearchThread>> threads;
  int threadCount = 1;  // written only while no search runs
  ThreadStarter startThread = pthread_create;
  SplitStatistics statistics;

 private:
  bool startHelper(SearchThread& thread);

  std::mutex lifecycleLock;  // guards the three fields below
  bool searchRunning = false;
  bool countPending = false;
  int pendingCount = 1;
};

// Calls beginSearch and endSearch around a scope.
class PoolSearchScope {
 public:
  explicit PoolSearchScope(ThreadPool& pool) : pool_(pool) { pool_.beginSearch(); }
  ~PoolSearchScope() { pool_.endSearch(); }
  PoolSearchScope(const PoolSearchScope&) = delete;
  PoolSearchScope& operator=(const PoolSearchScope&) = delete;

 private:
  ThreadPool& pool_;
};

// Whether `candidate` may be booked to help `master` now (the rule of
// idleThreadAvailable).
bool mayHelp(const SearchThread& candidate, const SearchThread& master);

}  // namespace talvik
