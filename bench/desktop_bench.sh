#!/usr/bin/env bash
# What the desktop host costs against Waybar showing the same four widgets through custom modules, side
# by side under one headless sway session:
#   - resident memory (VmRSS) of each, once both have drawn everything: the host with its default four
#     medium widgets, Waybar with a bar of four custom modules;
#   - CPU time over an idle span (ten minutes unless --idle says otherwise): the host's own and that of
#     Waybar with the programs its modules start ("interval": 300, the widgets' own reload interval; the
#     modules run `quillbrook-widgets render KIND`), from /proc/PID/stat (user and system time, and that
#     of the children each waited for); and the host's wakeups (voluntary context switches of all its
#     threads) and drawings in that span;
#   - then the resident memory of a host with all sixteen widget-family tiles.
# Each memory figure is given twice: VmRSS, where every shared library's resident pages count in full, and
# Pss (/proc/PID/smaps_rollup), where a page shared with other processes counts in part.
# QB_DESKTOP_BENCH_SMAPS=FOLDER keeps each process's /proc/PID/smaps there, read at the same moment.
# The data is the sample home folder and feed of examples/, the feed served from 127.0.0.1.
#
#   bench/desktop_bench.sh PROGRAM [--idle SECONDS]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source-path=SCRIPTDIR/../tests/support
source "$root/tests/support/headless_sway.sh"
# shellcheck source-path=SCRIPTDIR/../tests/desktop
source "$root/tests/desktop/desktop_common.sh"

program=${1:?usage: desktop_bench.sh PROGRAM [--idle SECONDS]}
idle=600
[[ ${2:-} == --idle ]] && idle=${3:?--idle needs a number of seconds}
command -v waybar >/dev/null || fail "waybar is not installed; scripts/setup.sh installs it"

HEADLESS_SWAY_SIZE=${HEADLESS_SWAY_SIZE:-2560x1600}
hsway_start || exit
home=$HEADLESS_SWAY_HOME/quillbrook
copy_sample_home "$home"
serve_feed "$SAMPLE_FEED"
common=(--home "$home" --feed-base "$FEED_BASE")

# Waybar: a bar at the bottom with one custom module per widget, each running the program every 300 s.
modules=''
for kind in readinglist favorites workspaces tips; do
  modules+="\"custom/$kind\": {\"exec\": \"$program render $kind --family systemMedium --format text ${common[*]}\", \"interval\": 300},"
done
mkdir -p "$HEADLESS_SWAY_HOME/.config/waybar"
printf '{"layer": "bottom", "position": "bottom", "height": 30, "modules-left": ["custom/readinglist", "custom/favorites", "custom/workspaces", "custom/tips"], %s "modules-right": []}\n' \
  "$modules" >"$HEADLESS_SWAY_HOME/.config/waybar/config"
echo '* { font-family: "DejaVu Sans"; font-size: 13px; }' >"$HEADLESS_SWAY_HOME/.config/waybar/style.css"
hsway_give "$HEADLESS_SWAY_HOME"

environment=(env LC_ALL=C.UTF-8 LANGUAGE=)
# client PID: the client a background job started (the job is a subshell that waits for it).
client() {
  local pid=$1 child
  while [[ $(cat "/proc/$pid/comm") == bash ]] && child=$(pgrep -P "$pid" | head -n 1); do pid=$child; done
  echo "$pid"
}
hsway_spawn "$HEADLESS_SWAY_DIR/host.log" "${environment[@]}" "$program" desktop "${common[@]}" --verbose
host_job=$HEADLESS_SWAY_LAST_PID
hsway_spawn "$HEADLESS_SWAY_DIR/waybar.log" "${environment[@]}" waybar
waybar_job=$HEADLESS_SWAY_LAST_PID

all_drawn() { (($(grep -c 'drew \[widget' "$HEADLESS_SWAY_DIR/host.log") >= 4)); }
fixture_wait 30 all_drawn || fail "the host did not draw its widgets: $(tail -n 3 "$HEADLESS_SWAY_DIR/host.log")"
host=$(client "$host_job") waybar=$(client "$waybar_job")
[[ $(cat "/proc/$host/comm") == quillbrook-widg* && $(cat "/proc/$waybar/comm") == waybar ]] ||
  fail "cannot find the host's and Waybar's processes"
sleep 10  # both settle: Waybar's first runs end, GLib's start-up threads go

rss() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
# pss PID: the proportional set size, where a page shared with other processes counts in part.
pss() { awk '/^Pss:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/smaps_rollup"; }
# keep_smaps NAME PID: a copy of the process's mappings in QB_DESKTOP_BENCH_SMAPS, when it names a folder.
keep_smaps() { [[ -n ${QB_DESKTOP_BENCH_SMAPS:-} ]] && cat "/proc/$2/smaps" >"$QB_DESKTOP_BENCH_SMAPS/$1.smaps"; }
# cpu PID: user + system time of the process and of its waited-for children, in clock ticks.
cpu() { awk '{ print $14 + $15 + $16 + $17 }' "/proc/$1/stat"; }
# thread_switches PID: each thread's voluntary context switches (its wakeups), as "THREAD COUNT" lines.
thread_switches() {
  local task
  for task in /proc/"$1"/task/*; do
    awk -v t="${task##*/}" '/^voluntary_ctxt_switches/ { print t, $2 }' "$task/status" 2>/dev/null
  done
}
# wakeups BEFORE AFTER: the wakeups between two thread_switches lists; a thread that ended in between
# woke at least once, to end.
wakeups() {
  awk 'NR == FNR { before[$1] = $2; next } { n += $2 - ($1 in before ? before[$1] : 0); seen[$1] = 1 }
       END { for (t in before) if (!(t in seen)) n++; print n + 0 }' "$1" "$2"
}
ticks=$(getconf CLK_TCK)

host_rss=$(rss "$host") waybar_rss=$(rss "$waybar")
host_pss=$(pss "$host") waybar_pss=$(pss "$waybar")
keep_smaps host "$host"
keep_smaps waybar "$waybar"
host_cpu=$(cpu "$host") waybar_cpu=$(cpu "$waybar")
thread_switches "$host" >"$HEADLESS_SWAY_DIR/switches.before"
drawn=$(grep -c 'drew \[widget' "$HEADLESS_SWAY_DIR/host.log")
echo "idle for $idle s ..." >&2
sleep "$idle"
host_cpu=$(($(cpu "$host") - host_cpu)) waybar_cpu=$(($(cpu "$waybar") - waybar_cpu))
thread_switches "$host" >"$HEADLESS_SWAY_DIR/switches.after"
host_wakeups=$(wakeups "$HEADLESS_SWAY_DIR/switches.before" "$HEADLESS_SWAY_DIR/switches.after")
drawn=$(($(grep -c 'drew \[widget' "$HEADLESS_SWAY_DIR/host.log") - drawn))

# All sixteen tiles: each kind in its own column, the four families in it.
tiles=$HEADLESS_SWAY_HOME/sixteen.ini
anchors=(top-left top-right bottom-left bottom-right)
index=0
for kind in readinglist favorites workspaces tips; do
  for family in small medium large extraLarge; do
    printf '[widget %s %s]\nkind=%s\nfamily=%s\nanchor=%s\n\n' "$kind" "$family" "$kind" "$family" "${anchors[index]}"
  done >>"$tiles"
  index=$((index + 1))
done
hsway_give "$tiles"
hsway_spawn "$HEADLESS_SWAY_DIR/sixteen.log" "${environment[@]}" "$program" desktop --config "$tiles" "${common[@]}" --verbose
sixteen_job=$HEADLESS_SWAY_LAST_PID
sixteen_drawn() { (($(grep -c 'drew \[widget' "$HEADLESS_SWAY_DIR/sixteen.log") >= 16)); }
fixture_wait 30 sixteen_drawn || fail "the sixteen tiles were not drawn: $(tail -n 3 "$HEADLESS_SWAY_DIR/sixteen.log")"
sleep 10
sixteen=$(client "$sixteen_job")
sixteen_rss=$(rss "$sixteen") sixteen_pss=$(pss "$sixteen")
keep_smaps sixteen "$sixteen"

ms() { echo $(($1 * 1000 / ticks)); }
cat <<REPORT
| under headless sway, $HEADLESS_SWAY_SIZE | resident memory (RSS) | proportional (PSS) | CPU over $idle s idle |
|---|---:|---:|---:|
| desktop host, the four default widgets | $host_rss MB | $host_pss MB | $(ms "$host_cpu") ms ($host_wakeups wakeups, $drawn drawings) |
| Waybar, four custom modules, "interval": 300 | $waybar_rss MB | $waybar_pss MB | $(ms "$waybar_cpu") ms (with the programs it started) |
| desktop host, all sixteen widget-family tiles | $sixteen_rss MB | $sixteen_pss MB | – |
REPORT
