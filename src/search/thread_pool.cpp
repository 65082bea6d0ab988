#include "search/thread_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

#include "base/logger.h"
#include "search/engine.h"
#include "search/time_control.h"

namespace talvik {

namespace {

std::atomic<int> threadObjectsCreated{0};

// Deep searches recurse with a move list in every frame, and a waiting
// master may search another thread's node on top of its own stack.
constexpr std::size_t HelperStackBytes = 4 * 1024 * 1024;

// While the main thread waits for its split point it wakes this often to
// look at the clock and the input: the helpers may be deep in a long
// subtree, and only the main thread ever polls.
constexpr std::chrono::milliseconds MainThreadPollPeriod{2};

void* helperEntry(void* thread) {
  static_cast<SearchThread*>(thread)->run();
  return nullptr;
}

}  // namespace

SearchThread::SearchThread(ThreadPool* owner, Engine* eng, int threadIndex)
    : id(threadObjectsCreated.fetch_add(1)), index(threadIndex), mask(std::uint64_t{1} << threadIndex),
      pool(owner), engine(eng) {
  clearForSearch();
}

SearchThread::~SearchThread() = default;

void SearchThread::run() { idleLoop(nullptr); }

void SearchThread::clearForSearch() {
  std::memset(history, 0, sizeof history);
  std::memset(counterMoves, 0, sizeof counterMoves);
  std::memset(killers, 0, sizeof killers);
  nodes = 0;
  tableHits = 0;
}

void SearchThread::idleLoop(SplitPoint* waitFor) {
  for (;;) {
    if (exitRequested) return;
    if (busy) {
      SplitPoint* sp;
      {
        std::lock_guard<std::mutex> poolGuard(pool->poolLock);
        sp = activeSplit;
      }
      workAtSplitPoint(*this, *sp);
    }
    bool pollClock = false;
    {
      std::unique_lock<std::mutex> guard(lock);
      // Every thread has left the split point: back to the master's node.
      if (waitFor != nullptr && waitFor->slavesMask == 0) return;
      if (!exitRequested && !busy) {
        if (waitFor != nullptr && index == 0)
          pollClock = wake.wait_for(guard, MainThreadPollPeriod) == std::cv_status::timeout;
        else
          wake.wait(guard);
      }
    }
    // Outside every lock: the time check may take the pool lock to stop.
    if (pollClock) {
      forcePoll(*engine);
      checkTime(*engine);
    }
  }
}

bool mayHelp(const SearchThread& candidate, const SearchThread& master) {
  if (&candidate == &master || candidate.busy) return false;
  const int count = candidate.splitCount;
  return count == 0 || (candidate.splits[count - 1].slavesMask & master.mask) != 0;
}

ThreadPool::~ThreadPool() { destroyThreads(); }

bool ThreadPool::startHelper(SearchThread& thread) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  std::size_t stackBytes = 0;
  if (pthread_attr_getstacksize(&attributes, &stackBytes) != 0) logMessage(LogWarning, "unable to get thread stack limit");
  if (pthread_attr_setstacksize(&attributes, HelperStackBytes) != 0)
    logMessage(LogWarning, "unable to set thread stack limit");
  const int error = startThread(&thread.handle, &attributes, helperEntry, &thread);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    logMessage(LogError, "Thread %d creation error : %d", thread.id, error);
    return false;
  }
  thread.started = 1;
  return true;
}

void ThreadPool::createThreads() {
  destroyThreads();
  threads.push_back(std::make_unique<SearchThread>(this, engine, 0));
  mainThread = threads.front().get();
  for (int i = 1; i < threadCount; ++i) {
    auto thread = std::make_unique<SearchThread>(this, engine, i);
    // A helper that never started would never leave a split point it was
    // booked for: it does not join the pool.
    if (startHelper(*thread)) threads.push_back(std::move(thread));
  }
  if (engine != nullptr) engine->mainThreadRef = mainThread;
}

void ThreadPool::setThreadCount(int n) {
  n = std::clamp(n, 1, MaxSearchThreads);
  std::lock_guard<std::mutex> guard(lifecycleLock);
  if (searchRunning) {
    pendingCount = n;
    countPending = n != threadCount;
    return;
  }
  if (n == threadCount) return;
  threadCount = n;
  if (!threads.empty()) createThreads();  // before initialise() only the count is recorded
}

void ThreadPool::destroyThreads() {
  if (threads.empty()) return;
  for (const auto& thread : threads) {
    if (!thread->started) continue;
    {
      std::lock_guard<std::mutex> guard(thread->lock);
      thread->exitRequested = 1;
      thread->wake.notify_one();
    }
    pthread_join(thread->handle, nullptr);
    thread->started = 0;
  }
  threads.clear();
  mainThread = nullptr;
  if (engine != nullptr) engine->mainThreadRef = nullptr;
}

bool ThreadPool::idleThreadAvailable(const SearchThread& master) const {
  for (const auto& thread : threads)
    if (mayHelp(*thread, master)) return true;
  return false;
}

std::uint64_t ThreadPool::totalNodes() const {
  std::uint64_t total = 0;
  for (const auto& thread : threads) total += thread->nodes;
  return total;
}

std::uint64_t ThreadPool::totalTableHits() const {
  std::uint64_t total = 0;
  for (const auto& thread : threads) total += thread->tableHits;
  return total;
}

void ThreadPool::beginSearch() {
  std::lock_guard<std::mutex> guard(lifecycleLock);
  searchRunning = true;
  if (!countPending) return;
  countPending = false;
  threadCount = pendingCount;
  if (!threads.empty()) createThreads();
}

void ThreadPool::endSearch() {
  std::lock_guard<std::mutex> guard(lifecycleLock);
  searchRunning = false;
}

}  // namespace talvik
