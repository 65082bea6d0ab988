#!/usr/bin/env bash
# Builds Talvik in every configuration and runs every test:
#   1. release build: unit tests and end-to-end tests (real GUIs included);
#   2. AddressSanitizer + UndefinedBehaviorSanitizer: the same tests;
#   3. ThreadSanitizer: the multi-threaded search tests and the protocol
#      sessions that race the input thread against the search;
#   4. libFuzzer: every fuzz target briefly, on top of its seed corpus;
#   5. the 32-bit ARMv6 cross build, run under qemu-arm;
#   6. the Debian packages and tarballs of both builds (scripts/package.sh).
# Usage: scripts/test.sh  (FUZZ_SECONDS sets the time per fuzz target, 30 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
jobs=$(nproc 2>/dev/null || echo 2)
# Sanitizer builds: light optimisation and line tables only, which compile
# much faster than full debug information and still name every frame.
sanitized=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" -DTALVIK_BENCHMARKS=OFF)

run_config() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== release"
run_config build/release -DCMAKE_BUILD_TYPE=Release

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
run_config build/asan "${sanitized[@]}" -DTALVIK_SANITIZE=address

echo "== ThreadSanitizer"
# A data race or a lock-order inversion fails the run; the tests' own
# watchdogs fail a deadlock.
cmake -S . -B build/tsan -G Ninja "${sanitized[@]}" -DTALVIK_SANITIZE=thread >/dev/null
cmake --build build/tsan -j "$jobs" --target talvik_tests talvik
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build/tsan/tests/talvik_tests --gtest_filter='ThreadPool*:ParallelSearch*:SearchAnswers*:SearchTracker*'
(cd tests/e2e && TALVIK_BINARY="$PWD/../../build/tsan/talvik" TALVIK_DATA_DIR="$PWD/../data" TALVIK_SANITIZE=thread \
  python3 -m unittest test_protocol_races test_uci test_xboard)
unset TSAN_OPTIONS

echo "== libFuzzer"
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

echo "== ARMv6 under emulation"
cmake -S . -B build/arm -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabi.cmake >/dev/null
cmake --build build/arm -j "$jobs" --target talvik
(cd tests/e2e && TALVIK_ARM_BINARY="$PWD/../../build/arm/talvik" TALVIK_BINARY="$PWD/../../build/release/talvik" \
  TALVIK_DATA_DIR="$PWD/../data" python3 -m unittest -v arm_emulation)
echo "== Debian packages"
scripts/package.sh build/packages
(cd tests/e2e && TALVIK_PACKAGE_DIR="$PWD/../../build/packages" TALVIK_BINARY="$PWD/../../build/release/talvik" \
  TALVIK_DATA_DIR="$PWD/../data" python3 -m unittest -v package_check)
echo "== all tests passed"
