#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build, the whole suite under the address and
# undefined-behaviour sanitizers, the concurrency tests under the thread sanitizer, and short fuzzing runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh
# Compiler cache hits across clones in other folders.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

passed=0
failed=0
run_ctest() {  # run_ctest PRESET: runs ctest and adds its counts to the totals
  local log
  log=$(mktemp)
  set +e
  ctest --preset "$1" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [[ -n "$line" ]]; then
    local total fail
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    fail=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - fail))
    failed=$((failed + fail))
  elif [[ $status -ne 0 ]]; then
    failed=$((failed + 1))
  fi
  rm -f "$log"
  return 0
}

echo "== release build =="
cmake --preset release >/dev/null
cmake --build --preset release
run_ctest release

echo "== address and undefined-behaviour sanitizers =="
cmake --preset debug >/dev/null
cmake --build --preset debug
run_ctest debug

echo "== thread sanitizer (concurrency tests) =="
section_start=$SECONDS
cmake --preset tsan >/dev/null
if [[ -d tests/concurrency ]]; then
  cmake --build --preset tsan --target test_concurrency test_engine
  run_ctest tsan
fi
echo "thread sanitizer: $((SECONDS - section_start)) s"

if [[ -f fuzz/CMakeLists.txt ]]; then
  echo "== fuzzing, a short bounded run per target =="
  section_start=$SECONDS
  cmake --preset fuzz >/dev/null
  # fuzz/run.sh builds the fuzz targets alone, not the whole tree.
  if QB_FUZZ_BUILD="$root/build/fuzz" bash fuzz/run.sh "${QB_FUZZ_SECONDS:-20}"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  echo "fuzzing: $((SECONDS - section_start)) s"
fi

echo
echo "all: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
