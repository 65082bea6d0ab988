#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each one for a
# while on top of its seed corpus in fuzz/corpus/<target>. New inputs go to a
# scratch corpus under build/fuzz-corpus, never into the repository; findings
# (crash-*, leak-*, timeout-*) are written to build/fuzz-findings.
# Usage: scripts/fuzz.sh [seconds per target] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" \
  -DTALVIK_SANITIZE=fuzzer -DTALVIK_FUZZ=ON -DTALVIK_TESTS=OFF -DTALVIK_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz -j "$jobs"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
mkdir -p build/fuzz-findings

run_target() {
  local target=$1
  local scratch="build/fuzz-corpus/$target"
  mkdir -p "$scratch"
  # A finding ends the fuzzer with a non-zero status: keep it (set -e would
  # end this function before it names the finding).
  local status=0
  ASAN_OPTIONS=detect_leaks=1 build/fuzz/fuzz/"$target" "$scratch" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=8192 \
    -artifact_prefix="build/fuzz-findings/$target-" -print_final_stats=1 \
    >"build/fuzz-findings/$target.log" 2>&1 || status=$?
  grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec' "build/fuzz-findings/$target.log" |
    sed "s/^/$target /" || true
  if [ $status -ne 0 ]; then
    echo "$target: FINDING (see build/fuzz-findings/$target.log)"
    tail -40 "build/fuzz-findings/$target.log"
  fi
  return $status
}

# Two targets at a time on a two-core machine.
failed=0
pids=()
for target in "${targets[@]}"; do
  run_target "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
exit $failed
