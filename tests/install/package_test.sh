#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` of a built tree, its files (dpkg-deb -c) and control fields, the
# package unpacked into a temporary folder (dpkg-deb -x) and its program run from there, and lintian
# without errors (its warnings are printed).
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
source "$(dirname "$0")/installed_program.sh"
needs strace desktop-file-validate appstreamcli lintian
build=${1:?usage: package_test.sh BUILD_DIR SOURCE_DIR VERSION} source_dir=$2 version=$3
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/log" 2>&1 ||
  fail "cpack failed: $(tail -n 5 "$work/log")"
deb=$(find "$work/package" -maxdepth 1 -name "quillbrook-widgets_${version}-*.deb")
[[ -f $deb ]] || fail "no package quillbrook-widgets_${version}-*.deb: $(tail -n 3 "$work/log")"

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/files"
for file in "${installed_files[@]/#/./usr/}" ./etc/xdg/autostart/quillbrook-widgets.desktop; do
  grep -qxF "$file" "$work/files" || fail "the package lacks $file"
done
[[ $(dpkg-deb -f "$deb" Package Version Architecture | tr '\n' ' ') == "Package: quillbrook-widgets Version: $version-1 Architecture: $(dpkg --print-architecture) " ]] ||
  fail "the package's name, version or architecture: $(dpkg-deb -f "$deb" Package Version Architecture)"
# The libraries' packages come from the shared libraries that the program and the host load.
for library in libgtk-3-0 libgtk-layer-shell0 libcurl4 libstdc++6; do
  dpkg-deb -f "$deb" Depends | grep -q "\b$library\b" || fail "the package does not depend on $library"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /etc/xdg/autostart/quillbrook-widgets.desktop ||
  fail "the autostart entry is not a conffile"

dpkg-deb -x "$deb" "$work/unpacked" || fail "dpkg-deb -x failed"
check_installed_files "$work/unpacked/usr" "$work/unpacked/etc" /usr
mkdir "$work/run"
check_installed_program "$work/unpacked/usr" "$version" "$work/run" "$source_dir" "$build"

lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1
grep '^[EW]: ' "$work/lintian"
if grep -q '^E: ' "$work/lintian"; then fail "lintian reports errors"; fi
echo "PASS: $(basename "$deb") holds the program and its files, runs unpacked, and lintian reports no errors"
