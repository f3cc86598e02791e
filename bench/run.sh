#!/usr/bin/env bash
# Builds the benchmarks (Release), runs them and their Python peers in one go, and prints the tables of
# docs/performance.md: CPU times, ratios to the bare file reads of the same run and to the peers, peak
# memory, and which targets are met.
#
#   bench/run.sh                 everything (about 5 minutes on two busy cores)
#   QB_BENCH_MIN_TIME=0.1 bench/run.sh   shorter runs, noisier figures
#
# The build goes to build/bench (QB_BENCH_BUILD names another folder); the generated files, the raw JSON
# and the report stay in its bench/ folder.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QB_BENCH_BUILD:-$root/build/bench}
min_time=${QB_BENCH_MIN_TIME:-0.5}
# Each benchmark runs this many times and the report takes the best, as the Python peers do.
repetitions=${QB_BENCH_REPETITIONS:-3}
out=$build/bench/results
mkdir -p "$out"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQB_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j2 --target widget_bench plist_bench

widget_data=${QB_BENCH_WIDGET_DATA:-$build/bench/widget-data}
plist_data=${QB_BENCH_PLIST_DATA:-$build/bench/plist-data}
python3 "$root/bench/peers/widget_fixtures.py" "$widget_data"
python3 "$root/bench/peers/plist_fixtures.py" "$plist_data"

echo "== widget_bench" >&2
QB_BENCH_DATA=$widget_data "$build/bench/widget_bench" --benchmark_min_time="$min_time" --benchmark_repetitions="$repetitions" \
  --benchmark_out="$out/widget_bench.json" --benchmark_out_format=json >"$out/widget_bench.txt"
echo "== plist_bench" >&2
QB_BENCH_DATA=$plist_data "$build/bench/plist_bench" --benchmark_min_time="$min_time" --benchmark_repetitions="$repetitions" \
  --benchmark_out="$out/plist_bench.json" --benchmark_out_format=json >"$out/plist_bench.txt"
grep -h '^memory ' "$out/widget_bench.txt" "$out/plist_bench.txt" >"$out/memory.txt"

echo "== Python peers" >&2
python3 "$root/bench/peers/widget_peer.py" "$widget_data" >"$out/widget_peer.json"
python3 "$root/bench/peers/plist_peer.py" "$plist_data" --json >"$out/plist_peer.json"

{
  echo "CPU times in ms (the best of $repetitions runs for C++, each the mean over Google Benchmark's iterations; the best of several runs for"
  echo "Python); $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end of the run."
  echo
  python3 "$root/bench/peers/report.py" "$out/widget_bench.json" "$out/plist_bench.json" \
    "$out/widget_peer.json" "$out/plist_peer.json" "$out/memory.txt"
} | tee "$out/report.md"
