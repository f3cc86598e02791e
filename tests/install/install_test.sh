#!/usr/bin/env bash
# `cmake --install` of a built tree into a staging folder (DESTDIR) under a prefix that is not the
# configured one, then the installed program run from the staging folder, where nothing is at the
# prefix's own path: it finds its host, translations and samples relative to itself, and never looks
# into the source or build tree.
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
source "$(dirname "$0")/installed_program.sh"
needs strace desktop-file-validate appstreamcli
build=${1:?usage: install_test.sh BUILD_DIR SOURCE_DIR VERSION} source_dir=$2 version=$3
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
prefix=/opt/qbw
DESTDIR=$work/stage cmake --install "$build" --prefix "$prefix" >"$work/log" 2>&1 ||
  fail "cmake --install failed: $(tail -n 3 "$work/log")"
root=$work/stage$prefix
check_installed_files "$root" "$root/etc" "$prefix"
mkdir "$work/run"
check_installed_program "$root" "$version" "$work/run" "$source_dir" "$build"
