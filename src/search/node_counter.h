// A thread's node count: written at every node by its own thread only, read
// now and then by the others (node limits, reports).
//
// Where a 64-bit atomic is lock-free the count is one relaxed word, counted
// by a load and a store. A 32-bit ARM processor has no such word: a 64-bit
// atomic there is a library call that takes a lock. The count is then kept
// in two 32-bit words; counting stores the low word only, and the rare carry
// into the high word is published under a sequence number, so that a reader
// never combines a high word with a low word from another moment.
#pragma once

#include <atomic>
#include <cstdint>

namespace talvik {

template <bool WideAtomic>
class BasicNodeCounter;

template <>
class BasicNodeCounter<true> {
 public:
  BasicNodeCounter() = default;
  BasicNodeCounter(const BasicNodeCounter&) = delete;
  BasicNodeCounter& operator=(const BasicNodeCounter&) = delete;

  std::uint64_t load() const noexcept { return count_.load(std::memory_order_relaxed); }
  operator std::uint64_t() const noexcept { return load(); }
  // By the owning thread only, as every write.
  void increment() noexcept { count_.store(load() + 1, std::memory_order_relaxed); }
  BasicNodeCounter& operator=(std::uint64_t value) noexcept {
    count_.store(value, std::memory_order_relaxed);
    return *this;
  }

 private:
  std::atomic<std::uint64_t> count_{0};
};

template <>
class BasicNodeCounter<false> {
 public:
  BasicNodeCounter() = default;
  BasicNodeCounter(const BasicNodeCounter&) = delete;
  BasicNodeCounter& operator=(const BasicNodeCounter&) = delete;

  std::uint64_t load() const noexcept {
    for (;;) {
      const std::uint32_t before = sequence_.load(std::memory_order_acquire);
      const std::uint32_t high = high_.load(std::memory_order_relaxed);
      const std::uint32_t low = low_.load(std::memory_order_relaxed);
      std::atomic_thread_fence(std::memory_order_acquire);
      if ((before & 1) == 0 && sequence_.load(std::memory_order_relaxed) == before)
        return std::uint64_t{high} << 32 | low;
    }
  }
  operator std::uint64_t() const noexcept { return load(); }
  void increment() noexcept {
    const std::uint32_t low = low_.load(std::memory_order_relaxed) + 1;
    if (low != 0)
      low_.store(low, std::memory_order_relaxed);
    else
      publish(std::uint64_t{high_.load(std::memory_order_relaxed) + 1} << 32);
  }
  BasicNodeCounter& operator=(std::uint64_t value) noexcept {
    publish(value);
    return *this;
  }

 private:
  // Both words at once: an odd sequence number tells readers to try again.
  void publish(std::uint64_t value) noexcept {
    const std::uint32_t sequence = sequence_.load(std::memory_order_relaxed);
    sequence_.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    high_.store(static_cast<std::uint32_t>(value >> 32), std::memory_order_relaxed);
    low_.store(static_cast<std::uint32_t>(value), std::memory_order_relaxed);
    sequence_.store(sequence + 2, std::memory_order_release);
  }

  std::atomic<std::uint32_t> sequence_{0};
  std::atomic<std::uint32_t> high_{0};
  std::atomic<std::uint32_t> low_{0};
};

using NodeCounter = BasicNodeCounter<std::atomic<std::uint64_t>::is_always_lock_free>;

}  // namespace talvik
