#!/usr/bin/env bash
# Mutation check of the tests: puts each small fault listed in
# scripts/mutants.txt into a scratch copy of the tree, one at a time,
# rebuilds the copy incrementally, runs the fast tests (the unit tests, then
# a short benchmark node count) and prints the mutants nothing noticed.
# The working tree is never touched. Slow (a first build of the copy, then
# several seconds per mutant), so it is not part of scripts/test.sh.
#
#   scripts/mutants.sh              every mutant of the list
#   scripts/mutants.sh see fifty    only mutants whose name contains a word
#
# MUTANT_DIR    scratch folder for the copy and its build (/tmp/talvik-mutants)
# MUTANT_LIST   the list (scripts/mutants.txt)
# MUTANT_JOBS   build jobs and test shards (2)
# MUTANT_ALL=1  also run the mutants marked equivalent
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=${MUTANT_DIR:-/tmp/talvik-mutants}
jobs=${MUTANT_JOBS:-2}
tree=$work/tree
build=$work/build
log=$work/log
# The threaded stress test and the deep perft counts would add a minute
# or more to every mutant, and the clock test measures wall time, which a
# loaded machine stretches; MUTANT_GTEST_FILTER changes the choice.
filter=${MUTANT_GTEST_FILTER:--ParallelSearchStress.*:LeafCount.*:SearchDriver.ClockSearchesRunUnderABudgetTheClockHolds}
benchArgs="16 1 depth 7"
mkdir -p "$tree" "$log"

# The copy: tracked and new files of the working tree; a file is copied only
# when it differs, so that the build stays incremental between runs, and
# files the working tree no longer has leave the copy too.
(cd "$root" && git ls-files --cached --others --exclude-standard) | sort >"$work/files.txt"
while IFS= read -r file; do
  [ -f "$root/$file" ] || continue
  if ! cmp -s "$root/$file" "$tree/$file"; then
    mkdir -p "$(dirname "$tree/$file")"
    cp "$root/$file" "$tree/$file"
  fi
done <"$work/files.txt"
(cd "$tree" && find . -type f | sed 's|^\./||' | sort | comm -23 - "$work/files.txt" | while IFS= read -r file; do rm -f "$file"; done)

# Read from the copy, so that editing the list during a run changes nothing.
list=$tree/scripts/mutants.txt
[ -n "${MUTANT_LIST:-}" ] && cp "$MUTANT_LIST" "$work/mutants.txt" && list=$work/mutants.txt

buildTree() {
  cmake --build "$build" -j"$jobs" --target talvik talvik_tests >"$log/build.txt" 2>&1
}

# The unit tests in $jobs shards at once, each stopping at its first failure.
runTests() {
  local pids=() status=0 i
  for ((i = 0; i < jobs; ++i)); do
    GTEST_TOTAL_SHARDS=$jobs GTEST_SHARD_INDEX=$i timeout 600 "$build/tests/talvik_tests" \
      --gtest_filter="$filter" --gtest_fail_fast >"$log/tests$i.txt" 2>&1 &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || status=$?
  done
  [ $status = 0 ] && return 0
  # A failure counts when the failed tests fail again on their own.
  local failed
  failed=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_/.]*\) (.*/\1/p' "$log"/tests*.txt | paste -sd: -)
  [ -n "$failed" ] || return $status
  timeout 600 "$build/tests/talvik_tests" --gtest_filter="$failed" >"$log/retry.txt" 2>&1
}

benchNodes() {
  (cd "$work" && timeout 300 "$build/talvik" -benchmark $benchArgs 2>/dev/null | sed -n 's/^Nodes *: *//p')
}

# Applies `pattern` -> `replacement` to `file`: exactly one occurrence, or no change and failure.
mutate() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, pattern, replacement = (arg.replace("\\n", "\n") for arg in sys.argv[1:4])
text = open(path, encoding="utf-8").read()
count = text.count(pattern)
if count != 1:
    print(f"pattern found {count} times", file=sys.stderr)
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(pattern, replacement))
EOF
}

echo "Building the copy in $build ..."
[ -f "$build/build.ninja" ] ||
  cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$log/configure.txt" 2>&1 ||
  { echo "configure failed: $log/configure.txt"; exit 2; }
buildTree || { echo "the unmutated copy does not build: $log/build.txt"; exit 2; }
runTests || { echo "the unmutated copy fails its tests: $log/tests*.txt"; exit 2; }
baseline=$(benchNodes)
echo "Unmutated: tests pass, benchmark ($benchArgs) nodes $baseline"

total=0 killed=0 bySignature=0 equivalent=0 broken=0
survivors=() unusable=()
while IFS= read -r line; do
  case "$line" in '' | '#'*) continue ;; esac
  # name @@ file @@ pattern @@ replacement [@@ equivalent: why]
  name=${line%% @@ *}; rest=${line#* @@ }
  file=${rest%% @@ *}; rest=${rest#* @@ }
  pattern=${rest%% @@ *}; rest=${rest#* @@ }
  replacement=${rest%% @@ *}
  note=""
  [ "$rest" != "$replacement" ] && note=${rest#* @@ }
  if [ $# -gt 0 ]; then
    wanted=0
    for word in "$@"; do [[ $name == *"$word"* ]] && wanted=1; done
    [ $wanted = 1 ] || continue
  fi
  total=$((total + 1))
  if [[ $note == equivalent* ]] && [ "${MUTANT_ALL:-0}" != 1 ]; then
    equivalent=$((equivalent + 1))
    printf '%-28s equivalent (%s)\n' "$name" "${note#equivalent: }"
    continue
  fi
  cp "$tree/$file" "$work/original"
  if ! mutate "$tree/$file" "$pattern" "$replacement" 2>"$log/mutate.txt"; then
    broken=$((broken + 1)); unusable+=("$name")
    printf '%-28s NOT APPLIED: %s\n' "$name" "$(cat "$log/mutate.txt")"
    continue
  fi
  if ! buildTree; then
    result="does not build"; broken=$((broken + 1)); unusable+=("$name")
    cp "$log/build.txt" "$log/$name.build.txt"
  elif ! runTests; then
    result="killed by the unit tests"; killed=$((killed + 1))
    grep -h -m3 '^\[  FAILED  \] .* ([0-9]* ms)$\|Timeout\|Watchdog' "$log"/tests*.txt | head -3 | sed 's/^/    /' >"$log/$name.failed.txt"
  else
    nodes=$(benchNodes)
    if [ "$nodes" != "$baseline" ]; then
      result="killed by the benchmark signature only ($nodes)"; killed=$((killed + 1)); bySignature=$((bySignature + 1))
    else
      result="SURVIVED"; survivors+=("$name")
    fi
  fi
  printf '%-28s %s\n' "$name" "$result"
  [ -f "$log/$name.failed.txt" ] && cat "$log/$name.failed.txt" && rm -f "$log/$name.failed.txt"
  # Restored with a new time stamp, so that the next build compiles it again.
  cp "$work/original" "$tree/$file"
  touch "$tree/$file"
done <"$list"
buildTree || true

echo
echo "mutants: $total, killed: $killed ($bySignature by the benchmark signature only), equivalent: $equivalent, survived: ${#survivors[@]}, unusable: $broken"
[ ${#survivors[@]} -gt 0 ] && echo "survivors: ${survivors[*]}"
[ ${#unusable[@]} -gt 0 ] && echo "not applied or not building: ${unusable[*]}"
[ ${#survivors[@]} -eq 0 ] && [ "$broken" -eq 0 ]
