# shellcheck shell=bash
# Helpers shared by the desktop fixtures (headless_sway.sh, xvfb.sh); sourced, not run.
# The exit code that ctest reports as a skipped test (SKIP_RETURN_CODE).
FIXTURE_SKIP=77
FIXTURE_SUPPORT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# fixture_skip WHO REASON: says in one line why a desktop test cannot run and returns FIXTURE_SKIP.
fixture_skip() {
  echo "SKIPPED: $1: $2" >&2
  return "$FIXTURE_SKIP"
}

# fixture_wait SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds; fails after SECONDS.
fixture_wait() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" 2>/dev/null; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# fixture_at_exit COMMAND: runs COMMAND (a string for eval) when the shell exits, the last added first,
# whatever the cause: a normal end, `set -e`, SIGINT or SIGTERM (ctest's timeout). The shell's exit
# status is kept; FIXTURE_EXIT_STATUS holds it while the hooks run. Use it instead of `trap ... EXIT`,
# which would replace the fixtures' own clean-up.
fixture_exit_hooks=()
fixture_at_exit() {
  if ((${#fixture_exit_hooks[@]} == 0)); then
    trap fixture_run_exit_hooks EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
  fi
  fixture_exit_hooks+=("$1")
}
fixture_run_exit_hooks() {
  FIXTURE_EXIT_STATUS=$?
  set +e
  local i
  for ((i = ${#fixture_exit_hooks[@]} - 1; i >= 0; i--)); do
    eval "${fixture_exit_hooks[i]}"
  done
  fixture_exit_hooks=()
  return "$FIXTURE_EXIT_STATUS"
}

# fixture_pids_with_env NAME=VALUE: the ids of the live processes whose environment holds exactly that
# entry. A fixture gives every process of its session a private folder in the environment, so this finds
# the session's processes (and only them) even when they were started by a child of the test.
fixture_pids_with_env() {
  local entry=$1 dir pid
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [[ $pid == "$$" || $pid == "$BASHPID" ]] && continue
    grep -qzxF -- "$entry" "$dir/environ" 2>/dev/null && echo "$pid"
  done
}

# fixture_ended PID...: whether every one of the processes has ended (a zombie has: only its parent's
# wait is missing).
fixture_ended() {
  local pid
  for pid; do
    [[ -e /proc/$pid ]] && ! grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null && return 1
  done
  return 0
}

# fixture_end_processes NAME=VALUE PID...: ends the given processes and every process that carries the
# environment entry: SIGTERM, up to two seconds of grace, then SIGKILL. Reaps those that are our children.
fixture_end_processes() {
  local entry=$1 found pid
  shift
  local pids=("$@")
  mapfile -t found < <(fixture_pids_with_env "$entry")
  pids+=("${found[@]}")
  ((${#pids[@]})) || return 0
  kill -TERM "${pids[@]}" 2>/dev/null
  if ! fixture_wait 2 fixture_ended "${pids[@]}"; then
    for pid in "${pids[@]}"; do fixture_ended "$pid" || kill -KILL "$pid" 2>/dev/null; done
  fi
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  return 0
}

# fixture_sweep PREFIX: removes the folders of sessions that were killed before they could clean up (a
# ctest timeout kills with SIGKILL): those whose server, named by the folder's server.pid, has ended.
fixture_sweep() {
  local dir pid
  for dir in "$1".*; do
    [[ -f $dir/server.pid ]] || continue
    pid=$(<"$dir/server.pid")
    [[ -n $pid ]] && ! kill -0 "$pid" 2>/dev/null && rm -rf "$dir"
  done
  return 0
}

# fixture_session SCRIPT START [OPTION...] -- COMMAND...: a fixture's `session` verb: starts the session
# with START OPTION..., runs COMMAND and returns its status (the session stops itself at the exit).
fixture_session() {
  local script=$1 start=$2 options=()
  shift 2
  while [[ $# -gt 0 && $1 != -- ]]; do options+=("$1") && shift; done
  if [[ ${1:-} != -- || $# -lt 2 ]]; then
    echo "usage: $script session [--light|--dark] -- COMMAND..." >&2
    return 2
  fi
  shift
  "$start" "${options[@]}" || return
  "$@"
}

# fixture_stop WHO LOG ENTRY PID...: after a failed test shows the end of the server's LOG, then ends the
# session's processes (see fixture_end_processes).
fixture_stop() {
  local who=$1 log=$2 status=${FIXTURE_EXIT_STATUS:-0}
  shift 2
  if [[ $status -ne 0 && $status -ne $FIXTURE_SKIP && -s $log ]]; then
    echo "$who: the test failed; the end of its log:" >&2
    tail -n 10 "$log" >&2
  fi
  fixture_end_processes "$@"
}

# fixture_png ARGS...: the PNG tool (decoding, comparing regions, converting X window dumps).
fixture_png() {
  python3 "$FIXTURE_SUPPORT_DIR/png_tools.py" "$@"
}
