# shellcheck shell=bash
# Helpers shared by the desktop host's tests; sourced after a fixture (headless_sway.sh or xvfb.sh).

fail() { echo "FAIL: $*" >&2 && exit 1; }

# program_under_test PATH: sets program to the built quillbrook-widgets; fails when it is not there.
program_under_test() {
  program=${1:?usage: $0 [--light|--dark] PROGRAM}
  [[ -x $program ]] || fail "$program is not there; build quillbrook-widgets and quillbrook-widgets-desktop"
}

# serve_feed FILE: serves FILE as the tips feed on 127.0.0.1 for every request, until the shell exits;
# sets FEED_BASE to the server's address.
serve_feed() {
  local port_file
  port_file=$(mktemp)
  python3 "$FIXTURE_SUPPORT_DIR/serve_file.py" "$1" >"$port_file" &
  local pid=$!
  fixture_at_exit "kill $pid 2>/dev/null; rm -f $port_file"
  fixture_wait 5 test -s "$port_file" || fail "the feed server did not start"
  FEED_BASE=http://127.0.0.1:$(<"$port_file")
}

# copy_sample_home DIR: the sample home folder's Quillbrook files, copied to DIR so that a test may
# replace them.
copy_sample_home() {
  local examples=${QB_EXAMPLES_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/examples}
  mkdir -p "$1"
  cp -r "$examples/home/Library" "$1/" || fail "cannot copy the sample home from $examples"
  SAMPLE_FEED=$examples/feed.xml
}

# mark_all_read HOME: the reading list replaced by rename with every document read.
mark_all_read() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/mark_all_read.py" "$1" || fail "cannot rewrite the reading list"
}

# drawings LOG GROUP: how often the host's log says it drew the widget of that group.
drawings() {
  grep -c "drew \[$2\]" "$1" 2>/dev/null || true
}

# widget_shown PNG X Y W H BACKGROUND: whether most of the rectangle (inset from its rounded corners)
# is drawn, not the background.
widget_shown() {
  fixture_png region "$1" $(($2 + 12)) $(($3 + 12)) $(($4 - 24)) $(($5 - 24)) "$6" --min 0.9 >/dev/null
}

# luminance PNG X Y: the brightness (0 to 255) of a pixel.
luminance() {
  local rgb
  rgb=$(fixture_png pixel "$1" "$2" "$3")
  echo $(((16#${rgb:0:2} * 299 + 16#${rgb:2:2} * 587 + 16#${rgb:4:2} * 114) / 1000))
}
