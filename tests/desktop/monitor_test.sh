#!/usr/bin/env bash
# A monitor plugged in under headless sway: a widget configured for it, which stood on the first monitor
# while it was missing, moves to it; the other widget stays.
#   monitor_test.sh PROGRAM
set -uo pipefail
# shellcheck source-path=SCRIPTDIR/../support
source "$(dirname "${BASH_SOURCE[0]}")/../support/headless_sway.sh"
# shellcheck source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/desktop_common.sh"

program_under_test "${1:-}"
hsway_start || exit
home=$HEADLESS_SWAY_HOME/quillbrook
copy_sample_home "$home"
# Monitors are named by their model or their number; headless outputs share the model "headless".
config=$HEADLESS_SWAY_HOME/widgets.ini
printf '[widget second]\nkind=readinglist\noutput=1\n\n[widget first]\nkind=workspaces\n' >"$config"
hsway_give "$HEADLESS_SWAY_HOME"
log=$HEADLESS_SWAY_DIR/desktop.log
hsway_spawn "$log" env LC_ALL=C.UTF-8 LANGUAGE= "$program" desktop --config "$config" --home "$home" --verbose

background=$HEADLESS_SWAY_BACKGROUND
shot=$HEADLESS_SWAY_DIR/screen.png
x=$((1280 - 24 - 364))
# While the monitor is missing its widget heads the column on the first monitor.
both_on_first() {
  hsway_screenshot "$shot" && widget_shown "$shot" "$x" 24 364 170 "$background" &&
    widget_shown "$shot" "$x" 206 364 170 "$background"
}
fixture_wait 20 both_on_first || fail "the two widgets are not in a column on the first monitor: $(tail -n 3 "$log")"
grep -q 'no monitor called "1" is connected' "$log" || fail "the missing monitor is not logged"

hsway_msg create_output >/dev/null || fail "sway cannot add an output"
hsway_msg output HEADLESS-2 resolution 1280x800 position 1280 0 bg "#$background" solid_color >/dev/null
moved() {
  hsway_screenshot "$shot" && widget_shown "$shot" $((1280 + x)) 24 364 170 "$background" &&
    widget_shown "$shot" "$x" 24 364 170 "$background" &&
    fixture_png region "$shot" "$x" 206 364 170 "$background" --max 0 >/dev/null
}
fixture_wait 10 moved || fail "the widget did not move to the monitor plugged in; screenshot: $shot"
echo "PASS: a widget moves to its monitor when it is plugged in"
