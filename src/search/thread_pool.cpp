#include "search/thread_pool.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace talvik {

namespace {
std::atomic<int> threadObjectsCreated{0};
}

SearchThread::SearchThread(ThreadPool* owner, Engine* eng, int threadIndex)
    : id(threadObjectsCreated.fetch_add(1)), index(threadIndex), mask(std::uint64_t{1} << threadIndex),
      pool(owner), engine(eng) {
  clearForSearch();
}

SearchThread::~SearchThread() = default;

void SearchThread::clearForSearch() {
  std::memset(history, 0, sizeof history);
  std::memset(counterMoves, 0, sizeof counterMoves);
  std::memset(killers, 0, sizeof killers);
  nodes = 0;
}

ThreadPool::~ThreadPool() { destroyThreads(); }

void ThreadPool::createThreads() {
  destroyThreads();
  for (int i = 0; i < threadCount; ++i) threads.push_back(std::make_unique<SearchThread>(this, engine, i));
  mainThread = threads.front().get();
}

void ThreadPool::setThreadCount(int n) {
  n = std::clamp(n, 1, 64);
  if (n == threadCount) return;
  threadCount = n;
  if (!threads.empty()) createThreads();  // before initialise() only the count is recorded
}

void ThreadPool::destroyThreads() {
  threads.clear();
  mainThread = nullptr;
}

std::uint64_t ThreadPool::totalNodes() const {
  std::uint64_t total = 0;
  for (const auto& thread : threads) total += thread->nodes;
  return total;
}

}  // namespace talvik
