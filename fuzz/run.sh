#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 60) over its seed corpus; exits non-zero on a finding.
# Builds with the fuzz preset (clang) into build/fuzz unless QB_FUZZ_BUILD names another build folder.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QB_FUZZ_BUILD:-$root/build/fuzz}
targets=(plist_binary_fuzzer plist_xml_fuzzer)

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQB_BUILD_FUZZERS=ON -DQB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target "${targets[@]}" -j2

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  echo "== $target: ${seconds}s"
  # New inputs go to a scratch folder; the seeds in the tree stay as they are.
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$work" "$root/fuzz/corpus/$target" \
      2>"$artifacts/$target.log"; then
    echo "$target: FINDING (see $artifacts/$target.log and the crash-* files there)"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|^Done|DEDUP|ERROR" "$artifacts/$target.log" || true
  rm -rf "$work"
done
exit $status
