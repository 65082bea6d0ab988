// A value shared between threads without a lock. Loads and stores are relaxed
// atomics: the lock-free design stays, and the program is free of data races
// in the C++ sense (ThreadSanitizer-clean). Use it for flags and counters that
// one thread writes and others only poll (stop request, pondering, node
// counters, poll counter).
#pragma once

#include <atomic>

namespace talvik {

template <typename T>
class Relaxed {
 public:
  constexpr Relaxed(T value = T{}) noexcept : value_(value) {}
  Relaxed(const Relaxed&) = delete;
  Relaxed& operator=(const Relaxed&) = delete;

  T load() const noexcept { return value_.load(std::memory_order_relaxed); }
  void store(T value) noexcept { value_.store(value, std::memory_order_relaxed); }
  operator T() const noexcept { return load(); }
  Relaxed& operator=(T value) noexcept {
    store(value);
    return *this;
  }
  // For counters with a single writer: a plain load and store, no locked
  // read-modify-write on the hot path.
  void add(T delta) noexcept { store(load() + delta); }
  // Stores `desired` only while the value is still `expected` (one atomic
  // step); true when it did. Keeps a weaker request from overwriting a
  // stronger one written by another thread at the same moment.
  bool replace(T expected, T desired) noexcept {
    return value_.compare_exchange_strong(expected, desired, std::memory_order_relaxed);
  }

 private:
  std::atomic<T> value_;
};

}  // namespace talvik
