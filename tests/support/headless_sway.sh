#!/usr/bin/env bash
# A headless Wayland session for desktop tests: sway on the headless wlroots back end with the pixman
# renderer and no input devices, one output of a fixed size, a plain background and no bar.
#
# sway refuses to run as root, so under root the session runs as the unprivileged user `nobody`
# (setpriv, group nogroup, no supplementary groups); under any other user it runs as that user.
# HEADLESS_SWAY_USER=NAME picks another account (its primary group is used).
#
# As a wrapper (for ctest):
#   headless_sway.sh session [--light|--dark] -- COMMAND...
#       starts the session, runs COMMAND as the caller with the HEADLESS_SWAY_* variables below set,
#       tears everything down and exits with COMMAND's status (77 when the session cannot start).
#   "$HEADLESS_SWAY" run COMMAND...   inside it: runs COMMAND as the session's user in the session (exec)
#
# As a library (source it from a bash test):
#   hsway_start [--light|--dark]   returns 77 with one line on stderr where sway cannot start; stops
#                                  itself when the shell exits (see fixture_at_exit)
#   hsway_spawn LOG COMMAND...     background client, output to LOG; its id in HEADLESS_SWAY_LAST_PID
#   hsway_screenshot OUT.png [GEOMETRY], hsway_msg ARGS... (swaymsg), hsway_give PATH... (chown -R)
#   hsway_stop                     ends every process of the session and removes its folders
#
# Variables the session exports:
#   HEADLESS_SWAY            this script            HEADLESS_SWAY_DIR      the session's folder
#   HEADLESS_SWAY_RUNTIME    the clients' XDG_RUNTIME_DIR (0700, owned by the session's user)
#   HEADLESS_SWAY_HOME       the clients' HOME (owned by the session's user)
#   HEADLESS_SWAY_WAYLAND    the WAYLAND_DISPLAY    HEADLESS_SWAY_SOCK     the SWAYSOCK
#   HEADLESS_SWAY_USER, HEADLESS_SWAY_GROUP         HEADLESS_SWAY_PID      sway's process id
#   HEADLESS_SWAY_SIZE       WIDTHxHEIGHT (1280x800 unless set before the start)
#   HEADLESS_SWAY_BACKGROUND the background as RRGGBB (light e8e6e3, dark 2b2d31)
#
# Files a client reads must be readable by the session's user: the source and build trees are (umask
# 022), a folder from mktemp -d is not (0700). Put a client's files under $HEADLESS_SWAY_HOME, or in a
# folder of your own, and hand them over with hsway_give. A client gets the caller's environment with HOME,
# XDG_RUNTIME_DIR, WAYLAND_DISPLAY and SWAYSOCK set to the session's, DISPLAY, the session bus and the
# caller's XDG_*_HOME/DIRS removed, and NO_AT_BRIDGE=1; set others with `env NAME=VALUE` in COMMAND.
# The session has no input devices, and `swaymsg seat - cursor press` reaches no client without one:
# test clicks under Xvfb (xdotool).
# Every process that carries the session's XDG_RUNTIME_DIR is ended at the stop, even one started by a
# child of the test. A test killed by SIGKILL leaves its folder in ${TMPDIR:-/tmp}/hsway.*; the next
# session removes it.

# shellcheck source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/fixture_common.sh"
HEADLESS_SWAY=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/headless_sway.sh
hsway_clients=()

# hsway_identity: fills hsway_command with what switches to the session's user (nothing unless root).
hsway_identity() {
  hsway_command=()
  if [[ $(id -u) -eq 0 ]]; then
    hsway_command=(setpriv "--reuid=$HEADLESS_SWAY_USER" "--regid=$HEADLESS_SWAY_GROUP" --clear-groups)
  fi
}

# hsway_user_command: fills hsway_command with what runs a command as the session's user, in the session's
# environment.
hsway_user_command() {
  hsway_identity
  hsway_command+=(env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u XDG_CONFIG_HOME -u XDG_CACHE_HOME
    -u XDG_DATA_HOME -u XDG_STATE_HOME -u XDG_CONFIG_DIRS -u XDG_DATA_DIRS
    HOME="$HEADLESS_SWAY_HOME" XDG_RUNTIME_DIR="$HEADLESS_SWAY_RUNTIME" WAYLAND_DISPLAY="$HEADLESS_SWAY_WAYLAND"
    SWAYSOCK="$HEADLESS_SWAY_SOCK" NO_AT_BRIDGE=1)
}
hsway_as_user() {
  local hsway_command
  hsway_user_command
  "${hsway_command[@]}" "$@"
}

# hsway_check_prerequisites: sets the session's user and group, or hsway_reason to why it cannot start.
hsway_check_prerequisites() {
  hsway_reason=''
  local tool
  for tool in sway swaymsg swaybg grim python3; do
    if ! command -v "$tool" >/dev/null; then
      hsway_reason="$tool is not installed; scripts/setup.sh installs it"
      return
    fi
  done
  if [[ $(id -u) -ne 0 ]]; then
    HEADLESS_SWAY_USER=$(id -un) HEADLESS_SWAY_GROUP=$(id -gn)
    return
  fi
  HEADLESS_SWAY_USER=${HEADLESS_SWAY_USER:-nobody}
  local hsway_command
  if [[ $HEADLESS_SWAY_USER == root ]]; then
    hsway_reason="sway refuses to run as root; set HEADLESS_SWAY_USER to another account"
  elif ! HEADLESS_SWAY_GROUP=$(id -gn "$HEADLESS_SWAY_USER" 2>/dev/null); then
    hsway_reason="there is no user $HEADLESS_SWAY_USER"
  elif hsway_identity && ! hsway_reason=$("${hsway_command[@]}" true 2>&1); then
    hsway_reason="cannot become the user $HEADLESS_SWAY_USER: ${hsway_reason:-setpriv failed}"
  fi
}

# hsway_write_config: sway's own configuration: the output, its background, nothing else on screen.
hsway_write_config() {
  cat >"$HEADLESS_SWAY_DIR/config" <<EOF
xwayland disable
output * resolution $HEADLESS_SWAY_SIZE position 0 0 bg #$HEADLESS_SWAY_BACKGROUND solid_color
default_border none
default_floating_border none
focus_follows_mouse no
EOF
  chmod 0644 "$HEADLESS_SWAY_DIR/config"
}

hsway_sockets_ready() {
  local socket
  for socket in "$HEADLESS_SWAY_RUNTIME"/wayland-*; do
    [[ -S $socket ]] && HEADLESS_SWAY_WAYLAND=${socket##*/} && break
  done
  for socket in "$HEADLESS_SWAY_RUNTIME"/sway-ipc.*.sock; do
    [[ -S $socket ]] && HEADLESS_SWAY_SOCK=$socket && break
  done
  [[ -n ${HEADLESS_SWAY_WAYLAND:-} && -n ${HEADLESS_SWAY_SOCK:-} ]]
}

# The output is ready once swaybg has painted it: a screenshot's corner shows the background.
hsway_output_ready() {
  local probe=$HEADLESS_SWAY_DIR/probe.png
  hsway_as_user grim -g "0,0 1x1" - >"$probe" &&
    [[ $(fixture_png pixel "$probe" 0 0) == "$HEADLESS_SWAY_BACKGROUND" ]]
}

# hsway_output_size: the first output's current mode as WIDTHxHEIGHT.
hsway_output_size() {
  hsway_outputs | python3 -c 'import json, sys
mode = json.load(sys.stdin)[0]["current_mode"]
print("%dx%d" % (mode["width"], mode["height"]))'
}

# shellcheck disable=SC2120 # Its options come from fixture_session or the test.
hsway_start() {
  local background=e8e6e3
  case "${1:-}" in
  --dark) background=2b2d31 ;;
  --light | "") ;;
  *) echo "hsway_start: unknown option $1" >&2 && return 2 ;;
  esac
  local hsway_reason hsway_command
  hsway_check_prerequisites
  [[ -z $hsway_reason ]] || { fixture_skip "headless sway" "$hsway_reason"; return; }
  HEADLESS_SWAY_SIZE=${HEADLESS_SWAY_SIZE:-1280x800}
  HEADLESS_SWAY_BACKGROUND=$background
  fixture_sweep "${TMPDIR:-/tmp}/hsway"
  HEADLESS_SWAY_DIR=$(mktemp -d "${TMPDIR:-/tmp}/hsway.XXXXXX")
  HEADLESS_SWAY_RUNTIME=$HEADLESS_SWAY_DIR/runtime
  HEADLESS_SWAY_HOME=$HEADLESS_SWAY_DIR/home
  HEADLESS_SWAY_WAYLAND='' HEADLESS_SWAY_SOCK='' HEADLESS_SWAY_PID=''
  export HEADLESS_SWAY HEADLESS_SWAY_DIR HEADLESS_SWAY_RUNTIME HEADLESS_SWAY_HOME HEADLESS_SWAY_WAYLAND \
    HEADLESS_SWAY_SOCK HEADLESS_SWAY_USER HEADLESS_SWAY_GROUP HEADLESS_SWAY_PID HEADLESS_SWAY_SIZE \
    HEADLESS_SWAY_BACKGROUND
  fixture_at_exit hsway_stop
  chmod 0755 "$HEADLESS_SWAY_DIR"
  install -d -m 0700 -o "$HEADLESS_SWAY_USER" -g "$HEADLESS_SWAY_GROUP" "$HEADLESS_SWAY_RUNTIME"
  install -d -m 0755 -o "$HEADLESS_SWAY_USER" -g "$HEADLESS_SWAY_GROUP" "$HEADLESS_SWAY_HOME"
  hsway_write_config
  # sway gets a clean environment: nothing of the caller's desktop may leak into the session.
  hsway_identity
  "${hsway_command[@]}" env -i PATH="$PATH" LANG=C.UTF-8 HOME="$HEADLESS_SWAY_HOME" \
    XDG_RUNTIME_DIR="$HEADLESS_SWAY_RUNTIME" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway --config "$HEADLESS_SWAY_DIR/config" </dev/null >"$HEADLESS_SWAY_DIR/sway.log" 2>&1 &
  HEADLESS_SWAY_PID=$!
  echo "$HEADLESS_SWAY_PID" >"$HEADLESS_SWAY_DIR/server.pid"
  if fixture_wait 10 hsway_sockets_ready && fixture_wait 10 hsway_output_ready; then
    local size
    size=$(hsway_output_size)
    [[ $size == "$HEADLESS_SWAY_SIZE" ]] ||
      { echo "headless sway: the output is $size, not $HEADLESS_SWAY_SIZE" >&2 && return 1; }
  elif ! fixture_ended "$HEADLESS_SWAY_PID"; then
    echo "headless sway: not ready after 10 seconds" >&2
    return 1
  else
    local cause
    cause=$(grep -m1 -iE 'error|fail' "$HEADLESS_SWAY_DIR/sway.log" || tail -n 1 "$HEADLESS_SWAY_DIR/sway.log")
    fixture_skip "headless sway" "sway exited at start: $cause"
  fi
}

hsway_spawn() {
  local log=$1
  shift
  hsway_as_user "$@" </dev/null >"$log" 2>&1 &
  HEADLESS_SWAY_LAST_PID=$!
  hsway_clients+=("$HEADLESS_SWAY_LAST_PID")
}

hsway_screenshot() {
  local geometry=()
  [[ -n ${2:-} ]] && geometry=(-g "$2")
  hsway_as_user grim "${geometry[@]}" - >"$1"
}

hsway_msg() { hsway_as_user swaymsg "$@"; }
hsway_outputs() { hsway_msg -t get_outputs -r; }
hsway_give() { chown -R "$HEADLESS_SWAY_USER:$HEADLESS_SWAY_GROUP" "$@"; }

hsway_stop() {
  [[ -n ${HEADLESS_SWAY_DIR:-} && -d $HEADLESS_SWAY_DIR ]] || return 0
  fixture_stop "headless sway" "$HEADLESS_SWAY_DIR/sway.log" "XDG_RUNTIME_DIR=$HEADLESS_SWAY_RUNTIME" \
    ${HEADLESS_SWAY_PID:+"$HEADLESS_SWAY_PID"} "${hsway_clients[@]}"
  rm -rf "$HEADLESS_SWAY_DIR"
  hsway_clients=()
  HEADLESS_SWAY_DIR=''
}

# The command-line interface: `session` starts and stops a session; `run` acts on the session whose
# variables are in the environment.
hsway_main() {
  case "${1:-}" in
  session) shift && fixture_session headless_sway.sh hsway_start "$@" ;;
  run)
    shift
    if [[ -z ${HEADLESS_SWAY_DIR:-} || ! -d $HEADLESS_SWAY_DIR ]]; then
      echo "headless_sway.sh run: no session; run it inside 'headless_sway.sh session -- ...'" >&2
      return 2
    fi
    # The client replaces this script, so the caller's child is the client itself.
    local hsway_command
    hsway_user_command
    exec "${hsway_command[@]}" "$@"
    ;;
  *)
    echo "usage: headless_sway.sh session|run ... (see the top of the script)" >&2
    return 2
    ;;
  esac
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  hsway_main "$@"
  exit
fi
