#!/usr/bin/env bash
# The desktop host under headless sway: without a configuration file the four widgets stand as
# layer-shell surfaces (no windows in sway's tree) in a column at the top right, in the light or the dark
# GTK theme; and a reading list replaced by rename redraws its widget within a second.
#   layer_shell_test.sh --light|--dark PROGRAM
set -uo pipefail
# shellcheck source-path=SCRIPTDIR/../support
source "$(dirname "${BASH_SOURCE[0]}")/../support/headless_sway.sh"
# shellcheck source-path=SCRIPTDIR
source "$(dirname "${BASH_SOURCE[0]}")/desktop_common.sh"

theme=${1:?usage: layer_shell_test.sh --light|--dark PROGRAM}
program_under_test "${2:-}"

hsway_start "$theme" || exit
home=$HEADLESS_SWAY_HOME/quillbrook
copy_sample_home "$home"
serve_feed "$SAMPLE_FEED"
hsway_give "$home"
log=$HEADLESS_SWAY_DIR/desktop.log
gtk_theme=Adwaita
[[ $theme == --dark ]] && gtk_theme=Adwaita:dark
hsway_spawn "$log" env LC_ALL=C.UTF-8 LANGUAGE= GTK_THEME=$gtk_theme \
  "$program" desktop --home "$home" --feed-base "$FEED_BASE" --verbose

# The default layout: four medium widgets (364 by 170) in a column 24 pixels from the top and right
# edges, 12 apart.
width=${HEADLESS_SWAY_SIZE%x*}
x=$((width - 24 - 364))
tops=(24 206 388 570)
shots=${QB_SCREENSHOT_DIR:-$HEADLESS_SWAY_DIR}
mkdir -p "$shots"
shot=$shots/desktop-${theme#--}.png
all_shown() {
  hsway_screenshot "$shot" || return 1
  local top
  for top in "${tops[@]}"; do
    widget_shown "$shot" "$x" "$top" 364 170 "$HEADLESS_SWAY_BACKGROUND" || return 1
  done
}
fixture_wait 20 all_shown || fail "the four widgets are not at the top right after 20 seconds; \
screenshot: $shot; the host's log: $(tail -n 5 "$log")"
((${#tops[@]} == $(grep -c 'drew \[widget' "$log"))) || fail "not one drawing per widget: $(grep drew "$log")"
echo "screenshot: $shot"

# Nothing stands left of the column, where sway would tile or centre the widgets were they windows.
fixture_png region "$shot" 0 0 $((x - 40)) 800 "$HEADLESS_SWAY_BACKGROUND" --max 0 >/dev/null ||
  fail "something is drawn left of the widgets (windows, not layer surfaces?)"

# The widget's own background follows the theme: light in the light theme, dark in the dark one.
inside=$(luminance "$shot" $((x + 300)) $((tops[3] + 150)))
if [[ $theme == --dark ]]; then
  ((inside < 90)) || fail "the dark theme draws a light widget (luminance $inside)"
else
  ((inside > 200)) || fail "the light theme draws a dark widget (luminance $inside)"
fi

# The document manager replaces the reading list by rename: the widget is drawn again within a second.
before=$(drawings "$log" "widget readinglist")
start=$EPOCHREALTIME
mark_all_read "$home"
elapsed=0
until (($(drawings "$log" "widget readinglist") > before)); do
  elapsed=$(((10#${EPOCHREALTIME//[.,]/} - 10#${start//[.,]/}) / 1000))
  ((elapsed <= 1000)) || fail "the reading list was not drawn again within a second of the rename"
  sleep 0.02
done
changed=$shots/desktop-${theme#--}-all-read.png
hsway_screenshot "$changed"
fixture_png same "$shot" "$changed" >/dev/null && fail "the screen did not change after the rename"
for other in favorites workspaces tips; do
  [[ $(drawings "$log" "widget $other") == 1 ]] || fail "$other was drawn again, though nothing of it changed"
done
echo "redrawn $elapsed ms after the rename; screenshot: $changed"
echo "PASS: the default widgets stand at the top right as layer surfaces (${theme#--} theme)"
