#!/usr/bin/env bash
# `cmake --install` of a built tree (into a staging folder, DESTDIR): the desktop host lands in libexec,
# where the installed program finds it, and the systemd user unit and the autostart entry name the
# installed program.
#   install_test.sh BUILD_DIR
set -uo pipefail
fail() { echo "FAIL: $*" >&2 && exit 1; }
build=${1:?usage: install_test.sh BUILD_DIR}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" >"$stage.log" 2>&1 || fail "cmake --install failed: $(tail -n 3 "$stage.log")"
rm -f "$stage.log"
prefix=$(awk -F= '/^CMAKE_INSTALL_PREFIX:/ { print $2 }' "$build/CMakeCache.txt")
root=$stage$prefix

[[ -x $root/bin/quillbrook-widgets ]] || fail "no program in $root/bin"
host=$(find "$root" -path '*/quillbrook-widgets/quillbrook-widgets-desktop' -type f)
[[ -x $host && $host == "$root"/libexec/* ]] || fail "the desktop host is not in libexec: ${host:-missing}"
unit=$root/lib/systemd/user/quillbrook-widgets.service
grep -qx "ExecStart=$prefix/bin/quillbrook-widgets desktop" "$unit" || fail "the unit does not start the program: $unit"
for line in PartOf=graphical-session.target After=graphical-session.target Restart=on-failure \
  WantedBy=graphical-session.target; do
  grep -qx "$line" "$unit" || fail "the unit lacks $line"
done
entry=$(find "$stage" -path '*/xdg/autostart/quillbrook-widgets.desktop')
[[ -n $entry ]] || fail "no autostart entry under xdg/autostart"
grep -qx "Exec=$prefix/bin/quillbrook-widgets desktop" "$entry" || fail "the autostart entry does not start the program"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$entry" || fail "the entry is not valid"; fi

# Without a display the help is there, and the installed program reaches the installed host, which says
# what it needs.
env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/quillbrook-widgets" desktop --help | grep -q '^usage: quillbrook-widgets desktop' ||
  fail "desktop --help does not answer without a display"
said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/quillbrook-widgets" desktop 2>&1)
[[ $? == 1 && $said == *"cannot open a display"* ]] || fail "the installed program did not run the host: $said"
echo "PASS: the desktop host, its unit and its autostart entry are installed and find each other"
