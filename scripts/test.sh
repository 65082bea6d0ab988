#!/usr/bin/env bash
# Builds Talvik in its release and sanitizer configurations and runs every
# test in each (the threaded tests only under ThreadSanitizer).
# Usage: scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
jobs=$(nproc 2>/dev/null || echo 2)

run_config() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

# Release build: unit tests, end-to-end tests.
run_config build/release -DCMAKE_BUILD_TYPE=Release
# AddressSanitizer + UndefinedBehaviorSanitizer: the same tests.
run_config build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIK_SANITIZE=address -DTALVIK_BENCHMARKS=OFF
# ThreadSanitizer: the tests that search on several threads. A data race
# or a lock-order inversion fails the run; their watchdogs fail a deadlock.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVIK_SANITIZE=thread \
  -DTALVIK_BENCHMARKS=OFF >/dev/null
cmake --build build/tsan -j "$jobs" --target talvik_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  build/tsan/tests/talvik_tests --gtest_filter='ThreadPool*:ParallelSearch*'
