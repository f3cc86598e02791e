#!/usr/bin/env bash
# The desktop host under Xvfb, with no window manager: each widget is an undecorated window of the
# desktop type, below the others, on every workspace, out of the task bar and the pager (as xprop reads
# its properties); a click on the reading list's first row hands that row's link to the opener, and the
# widget is drawn again after the opener changed the reading list.
#   x11_desktop_test.sh PROGRAM
set -uo pipefail
# shellcheck source-path=SCRIPTDIR/../support
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
# shellcheck source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/desktop_common.sh"

program_under_test "${1:-}"
hxvfb_start || exit
for tool in xprop xdotool xwininfo; do
  command -v "$tool" >/dev/null || { fixture_skip "x11 desktop test" "$tool is not installed" && exit; }
done

dir=$HEADLESS_XVFB_DIR
home=$dir/home
copy_sample_home "$home"
serve_feed "$SAMPLE_FEED"
# The stand-in opener records the link and, as the document manager would, marks the documents read.
opened=$dir/opened.txt
cat >"$dir/opener" <<OPENER
#!/bin/sh
printf '%s\n' "\$1" >>"$opened"
python3 "$(dirname "${BASH_SOURCE[0]}")/mark_all_read.py" "$home"
OPENER
chmod +x "$dir/opener"
expected=$(QUILLBROOK_WIDGETS_OPENER=echo "$program" open readinglist --row 1 --home "$home") ||
  fail "open readinglist --row 1 failed"

log=$dir/desktop.log
# The host's folders are the test's own: its tips cache must not land in the caller's.
hxvfb_spawn "$log" env LC_ALL=C.UTF-8 LANGUAGE= XDG_CONFIG_HOME="$dir/config" XDG_CACHE_HOME="$dir/cache" \
  XDG_RUNTIME_DIR="$dir" QUILLBROOK_WIDGETS_OPENER="$dir/opener" "$program" desktop --home "$home" --feed-base "$FEED_BASE" --verbose
all_drawn() { (($(grep -c 'drew \[widget' "$log") >= 4)); }
fixture_wait 20 all_drawn || fail "the widgets were not drawn within 20 seconds: $(tail -n 5 "$log")"
window=$(fixture_wait 5 xdotool search --name '^Reading List$' && xdotool search --name '^Reading List$' | head -n 1)
[[ -n $window ]] || fail "no window is called Reading List"

properties=$(xprop -id "$window" _NET_WM_WINDOW_TYPE _NET_WM_STATE _NET_WM_DESKTOP)
for want in _NET_WM_WINDOW_TYPE_DESKTOP _NET_WM_STATE_BELOW _NET_WM_STATE_STICKY _NET_WM_STATE_SKIP_TASKBAR \
  _NET_WM_STATE_SKIP_PAGER '_NET_WM_DESKTOP(CARDINAL) = 4294967295'; do
  grep -qF -- "$want" <<<"$properties" || fail "the window lacks $want: $properties"
done
geometry=$(xwininfo -id "$window")
x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$geometry")
[[ $x == $((${HEADLESS_XVFB_SIZE%x*} - 24 - 364)) && $y == 24 ]] || fail "the reading list stands at $x,$y"

shots=${QB_SCREENSHOT_DIR:-$dir}
mkdir -p "$shots"
hxvfb_screenshot "$shots/desktop-x11.png"
before=$(drawings "$log" "widget readinglist")
# Down the widget's left part until a click lands on the first row.
for ((row_y = 30; row_y < 120; row_y += 6)); do
  xdotool mousemove $((x + 80)) $((y + row_y)) click 1
  fixture_wait 1 test -s "$opened" && break
done
[[ -s $opened ]] || fail "no click on the reading list reached the opener; the host's log: $(tail -n 5 "$log")"
[[ $(head -n 1 "$opened") == "$expected" ]] || fail "the click opened $(head -n 1 "$opened"), not the first row's $expected"
grep -q 'opened .*reloads shortly' "$log" || fail "the host did not ask for a reload after the link"
redrawn() { (($(drawings "$log" "widget readinglist") > before)); }
fixture_wait 5 redrawn || fail "the reading list was not drawn again after its link was opened"
hxvfb_screenshot "$shots/desktop-x11-after-click.png"
fixture_png same "$shots/desktop-x11.png" "$shots/desktop-x11-after-click.png" >/dev/null &&
  fail "the screen did not change after the opener marked the documents read"
echo "screenshots: $shots/desktop-x11.png, $shots/desktop-x11-after-click.png"
echo "PASS: desktop windows of the desktop type, and a clicked row's link opened with a redraw after it"
