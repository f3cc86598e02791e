#!/usr/bin/env bash
# An X server in memory for desktop tests: Xvfb on a display number it picks itself (-displayfd, so
# parallel tests never race for one), one 24-bit screen of a fixed size, no TCP, no reset between
# clients. Clients run as the caller; the server needs no window manager.
#
# As a wrapper (for ctest; a C++ test program starts its clients itself):
#   xvfb.sh session [--light|--dark] -- COMMAND...
#       starts the server, runs COMMAND with DISPLAY and the HEADLESS_XVFB_* variables below set, stops
#       the server and every client, and exits with COMMAND's status (77 when the server cannot start).
#
# As a library (source it from a bash test):
#   hxvfb_start [--light|--dark]   exports DISPLAY; returns 77 with one line on stderr where Xvfb cannot
#                                  start; stops itself when the shell exits (see fixture_at_exit)
#   hxvfb_spawn LOG COMMAND...     background client, output to LOG; its id in HEADLESS_XVFB_LAST_PID
#   hxvfb_screenshot OUT.png [GEOMETRY]   a PNG of the screen (or a part), through xwd
#   hxvfb_stop                     ends the server and every client, removes the session's folder
#
# Variables the session exports:
#   DISPLAY                  the server's display (:N)
#   HEADLESS_XVFB_DIR        the session's folder
#   HEADLESS_XVFB_PID        Xvfb's process id      HEADLESS_XVFB_SIZE     WIDTHxHEIGHT (1280x800 unless set)
#   HEADLESS_XVFB_BACKGROUND the root window's colour as RRGGBB: light ffffff (-wr), dark 000000 (-br)
#
# Clients started here carry HEADLESS_XVFB_DIR in their environment, so the stop also ends those that a
# child of the test started. A test killed by SIGKILL leaves its folder in ${TMPDIR:-/tmp}/hxvfb.*; the
# next session removes it.

# shellcheck source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/fixture_common.sh"
hxvfb_clients=()

# shellcheck disable=SC2120 # Its options come from fixture_session or the test.
hxvfb_start() {
  local root=-wr
  case "${1:-}" in
  --dark) root=-br ;;
  --light | "") ;;
  *) echo "hxvfb_start: unknown option $1" >&2 && return 2 ;;
  esac
  local tool
  for tool in Xvfb xdpyinfo xwd python3; do
    if ! command -v "$tool" >/dev/null; then
      fixture_skip "Xvfb" "$tool is not installed; scripts/setup.sh installs it"
      return
    fi
  done
  HEADLESS_XVFB_SIZE=${HEADLESS_XVFB_SIZE:-1280x800}
  HEADLESS_XVFB_BACKGROUND=$([[ $root == -br ]] && echo 000000 || echo ffffff)
  fixture_sweep "${TMPDIR:-/tmp}/hxvfb"
  HEADLESS_XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/hxvfb.XXXXXX")
  export HEADLESS_XVFB_DIR HEADLESS_XVFB_SIZE HEADLESS_XVFB_BACKGROUND
  fixture_at_exit hxvfb_stop
  # Xvfb writes the display number it chose to the descriptor once it accepts connections.
  local number_file=$HEADLESS_XVFB_DIR/display
  Xvfb -displayfd 3 -screen 0 "${HEADLESS_XVFB_SIZE}x24" -nolisten tcp -noreset "$root" \
    3>"$number_file" </dev/null >"$HEADLESS_XVFB_DIR/xvfb.log" 2>&1 &
  HEADLESS_XVFB_PID=$!
  echo "$HEADLESS_XVFB_PID" >"$HEADLESS_XVFB_DIR/server.pid"
  export HEADLESS_XVFB_PID
  if ! fixture_wait 10 grep -q '[0-9]' "$number_file"; then
    if kill -0 "$HEADLESS_XVFB_PID" 2>/dev/null; then
      echo "Xvfb: no display after 10 seconds" >&2
      return 1
    fi
    local log=$HEADLESS_XVFB_DIR/xvfb.log
    fixture_skip "Xvfb" "Xvfb exited at start: $(grep -m1 -iE 'error|fatal' "$log" || tail -n 1 "$log")"
    return
  fi
  DISPLAY=":$(tr -dc 0-9 <"$number_file")"
  export DISPLAY
  if ! fixture_wait 10 xdpyinfo >/dev/null; then
    echo "Xvfb: $DISPLAY does not answer after 10 seconds" >&2
    return 1
  fi
}

hxvfb_spawn() {
  local log=$1
  shift
  "$@" </dev/null >"$log" 2>&1 &
  HEADLESS_XVFB_LAST_PID=$!
  hxvfb_clients+=("$HEADLESS_XVFB_LAST_PID")
}

hxvfb_screenshot() {
  local dump=$HEADLESS_XVFB_DIR/screen.xwd
  xwd -root -silent -out "$dump" && fixture_png xwd2png "$dump" "$1" ${2:+--crop "$2"}
}

hxvfb_stop() {
  [[ -n ${HEADLESS_XVFB_DIR:-} && -d $HEADLESS_XVFB_DIR ]] || return 0
  fixture_stop Xvfb "$HEADLESS_XVFB_DIR/xvfb.log" "HEADLESS_XVFB_DIR=$HEADLESS_XVFB_DIR" \
    ${HEADLESS_XVFB_PID:+"$HEADLESS_XVFB_PID"} "${hxvfb_clients[@]}"
  rm -rf "$HEADLESS_XVFB_DIR"
  hxvfb_clients=()
  HEADLESS_XVFB_DIR=''
}

hxvfb_main() {
  if [[ ${1:-} != session ]]; then
    echo "usage: xvfb.sh session [--light|--dark] -- COMMAND... (see the top of the script)" >&2
    return 2
  fi
  shift
  fixture_session xvfb.sh hxvfb_start "$@"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  hxvfb_main "$@"
  exit
fi
