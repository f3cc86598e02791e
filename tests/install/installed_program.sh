# shellcheck shell=bash
# Checks of an installed tree and of the program run where it lies, as a user would, shared by the
# install and package tests; sourced, not run. Needs strace (scripts/setup.sh installs it).

fail() { echo "FAIL: $*" >&2 && exit 1; }

# needs TOOL...: skips the test (status 77) when a tool is missing.
needs() {
  local tool
  for tool; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed; scripts/setup.sh installs it" && exit 77; }
  done
}

# The files an install holds, relative to its prefix.
installed_files=(
  bin/quillbrook-widgets libexec/quillbrook-widgets/quillbrook-widgets-desktop
  libexec/quillbrook-widgets/quillbrook-widgets-download
  share/locale/de/LC_MESSAGES/quillbrook-widgets.mo share/man/man1/quillbrook-widgets.1.gz
  share/bash-completion/completions/quillbrook-widgets share/zsh/vendor-completions/_quillbrook-widgets
  share/fish/vendor_completions.d/quillbrook-widgets.fish
  share/metainfo/org.example.QuillbrookWidgets.metainfo.xml share/doc/quillbrook-widgets/copyright
  share/quillbrook-widgets/examples/feed.xml lib/systemd/user/quillbrook-widgets.service
)

# check_installed_files ROOT SYSCONFDIR PREFIX: the files are in ROOT (the prefix PREFIX, where it
# lies now) and the autostart entry in SYSCONFDIR; the unit and the entry start PREFIX's program.
check_installed_files() {
  local root=$1 sysconfdir=$2 prefix=$3 file
  for file in "${installed_files[@]}"; do [[ -f $root/$file ]] || fail "not installed: $prefix/$file"; done
  [[ -x $root/bin/quillbrook-widgets && -x $root/libexec/quillbrook-widgets/quillbrook-widgets-desktop ]] ||
    fail "the program and the host are not executable"
  local unit=$root/lib/systemd/user/quillbrook-widgets.service
  for line in "ExecStart=$prefix/bin/quillbrook-widgets desktop" PartOf=graphical-session.target \
    After=graphical-session.target Restart=on-failure WantedBy=graphical-session.target; do
    grep -qx "$line" "$unit" || fail "the unit lacks $line"
  done
  local entry=$sysconfdir/xdg/autostart/quillbrook-widgets.desktop
  grep -qx "Exec=$prefix/bin/quillbrook-widgets desktop" "$entry" || fail "the autostart entry does not start the program"
  desktop-file-validate "$entry" || fail "the autostart entry is not valid"
  appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "the AppStream metadata is not valid: $(appstreamcli validate --no-net "$root"/share/metainfo/*.xml)"
}

# check_installed_program ROOT VERSION WORK FORBIDDEN...: runs ROOT/bin/quillbrook-widgets (--version,
# list, a timeline of each widget on a copy of the installed sample home, demo, German texts, the
# desktop host) in the empty folder WORK, and fails when one does not work, or when the program touches
# a FORBIDDEN folder (the source and build trees): every run is traced, so a look at those folders,
# even one that found nothing, is caught. The caller ends the background jobs (a feed server).
check_installed_program() {
  local root=$1 version=$2 work=$3
  shift 3
  local program=$root/bin/quillbrook-widgets runs=0
  cd "$work" || fail "no folder $work"
  # The leak checker of the sanitizers cannot run under strace.
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
  traced() {  # traced COMMAND...: runs it under strace, output in $work/out and $work/err
    runs=$((runs + 1))
    XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config TMPDIR=$work LANGUAGE=${LANGUAGE:-} LC_ALL=C.UTF-8 \
      strace -f -qq -e trace=%file,execve -o "$work/trace.$runs" "$@" >"$work/out" 2>"$work/err"
  }

  traced "$program" --version || fail "--version failed: $(<"$work/err")"
  [[ $(<"$work/out") == "quillbrook-widgets $version" ]] || fail "--version printed $(<"$work/out")"

  traced "$program" list || fail "list failed: $(<"$work/err")"
  for kind in ReadingListWidget FavoritesWidget WorkspacesWidget TipsWidget; do
    grep -q "^$kind " "$work/out" || fail "list does not show $kind"
  done

  # The tips feed from a local server, the home a copy of the installed samples.
  local examples=$root/share/quillbrook-widgets/examples
  cp -r "$examples/home" "$work/home" || fail "no sample home in $examples"
  python3 "$(dirname "${BASH_SOURCE[0]}")/../support/serve_file.py" "$examples/feed.xml" >"$work/port" &
  for _ in $(seq 50); do [[ -s $work/port ]] && break; sleep 0.1; done
  local feed=http://127.0.0.1:$(<"$work/port")
  for kind in readinglist favorites workspaces tips; do
    traced "$program" timeline "$kind" --home "$work/home" --feed-base "$feed" --format json ||
      fail "timeline $kind failed: $(<"$work/err")"
    python3 -c '
import json, sys
answer = json.load(open(sys.argv[1]))
entry = answer["entries"][0]
assert answer["policy"]["after"], "no reload date"
assert entry.get("items") or entry.get("tip"), "an empty entry: %s" % entry' "$work/out" ||
      fail "timeline $kind did not show the sample home: $(head -c 300 "$work/out")"
  done

  traced "$program" demo --format text || fail "demo failed: $(<"$work/err")"
  grep -q 'The same widgets as a web page' "$work/out" || fail "demo drew no page: $(tail -n 3 "$work/out")"

  LANGUAGE=de traced "$program" list || fail "list in German failed: $(<"$work/err")"
  grep -q '^ReadingListWidget  Leseliste$' "$work/out" || fail "no German texts: $(head -n 1 "$work/out")"

  # Without a display the help is there, and the program reaches the installed host, which says what
  # it needs.
  env -u DISPLAY -u WAYLAND_DISPLAY "$program" desktop --help | grep -q '^usage: quillbrook-widgets desktop' ||
    fail "desktop --help does not answer"
  traced env -u DISPLAY -u WAYLAND_DISPLAY "$program" desktop
  [[ $? == 1 && $(<"$work/err") == *"cannot open a display"* ]] ||
    fail "the installed program did not run the installed host: $(<"$work/err")"

  local folder
  for folder in "$@"; do
    if grep -h -F -e "\"$folder/" -e "\"$folder\"" "$work"/trace.*; then
      fail "the installed program looked into $folder"
    fi
  done
  echo "PASS: the program in $root runs there ($runs runs traced, none looked into $*)"
}
