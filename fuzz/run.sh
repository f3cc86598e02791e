#!/usr/bin/env bash
# Runs each fuzz target for SECONDS (default 60) over its seed corpus; exits non-zero on a finding.
# Builds with the fuzz preset (clang) into build/fuzz unless QB_FUZZ_BUILD names another build folder.
# QB_FUZZ_TARGETS (blank-separated) runs only some targets.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QB_FUZZ_BUILD:-$root/build/fuzz}
all_targets=(plist_binary_fuzzer plist_xml_fuzzer favorites_store_fuzzer reading_list_store_fuzzer
  workspace_store_fuzzer rss_parser_fuzzer strip_html_fuzzer item_links_fuzzer tips_cache_fuzzer)
read -r -a targets <<<"${QB_FUZZ_TARGETS:-${all_targets[*]}}"
max_len=65536

if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQB_BUILD_FUZZERS=ON -DQB_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target "${targets[@]}" -j2

# The feed parser starts from real-world feeds: the test corpus's feeds that fit the input size
# limit and the demo's feed, copied here at run time (the folder is not committed).
rss_seeds=$root/fuzz/corpus/rss
find "$rss_seeds" -type f ! -name .gitignore -delete 2>/dev/null || true
mkdir -p "$rss_seeds"
for feed in "$root"/tests/data/rss/*.rss "$root"/tests/data/rss/*.xml "$root"/examples/feed.xml; do
  [[ -f $feed && $(stat -c %s "$feed") -le $max_len ]] && cp "$feed" "$rss_seeds/"
done

seeds_of() {  # the seed folders of a target
  case $1 in
    rss_parser_fuzzer) echo "$root/fuzz/corpus/rss" ;;
    *) echo "$root/fuzz/corpus/$1" ;;
  esac
}
dictionary_of() {  # libFuzzer's -dict option for a target, if it has one
  case $1 in
    rss_parser_fuzzer | strip_html_fuzzer) echo "-dict=$root/fuzz/dicts/feed.dict" ;;
  esac
}

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  echo "== $target: ${seconds}s"
  # New inputs go to a scratch folder; the seeds in the tree stay as they are.
  # shellcheck disable=SC2046
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=$max_len \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" $(dictionary_of "$target") \
      "$work" $(seeds_of "$target") 2>"$artifacts/$target.log"; then
    echo "$target: FINDING (see $artifacts/$target.log and the crash-* files there)"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|^Done|DEDUP|ERROR|invariant broken" \
    "$artifacts/$target.log" || true
  rm -rf "$work"
done
exit $status
