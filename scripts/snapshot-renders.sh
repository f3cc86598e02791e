#!/usr/bin/env bash
# Writes what the program draws for the sample files in examples/ into OUTDIR, one file per widget,
# parameter set, family, rendering mode and format (text, ansi, html, tree, json), plus the placeholders,
# so that two builds can be compared with `diff -r`:
#
#   scripts/snapshot-renders.sh OUTDIR [PROGRAM]
#
# PROGRAM defaults to build/release/src/host/quillbrook-widgets. The tips feed is served from
# examples/feed.xml on loopback by Python's http.server; every run gets a fresh tips cache. Dates that
# name the moment of the request (an entry's date, the reload date) are replaced by "NOW" in the JSON and
# text files, so that snapshots taken minutes apart compare equal.
set -euo pipefail

out=${1:?usage: scripts/snapshot-renders.sh OUTDIR [PROGRAM]}
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${2:-$root/build/release/src/host/quillbrook-widgets}")
home="$root/examples/home"
mkdir -p "$out"

work=$(mktemp -d)
server=""
cleanup() {
    [[ -n "$server" ]] && kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The feed at the path the tips store asks for (the query is ignored by http.server).
mkdir -p "$work/feed/2/apps" "$work/empty-home"
cp "$root/examples/feed.xml" "$work/feed/2/apps/supportmaterials.xml.php"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/feed" >/dev/null 2>&1 &
server=$!
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
    sleep 0.1
done
feed="http://127.0.0.1:$port"
# A port nobody listens on: the tips widget's empty state.
closed=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# NAME KIND ARGUMENTS...: the cases drawn.
cases=(
    "readinglist-all|readinglist|--home $home"
    "readinglist-unread|readinglist|--home $home --set filter=unreadOnly"
    "favorites-all|favorites|--home $home"
    "favorites-work|favorites|--home $home --set group=Work"
    "favorites-emptygroup|favorites|--home $home --set group=Empty Group"
    "workspaces|workspaces|--home $home"
    "tips-latest|tips|--feed-base $feed"
    "tips-daily|tips|--feed-base $feed --set mode=tipOfTheDay"
    "tips-nofeed|tips|--feed-base http://127.0.0.1:$closed"
    "readinglist-nofile|readinglist|--home $work/empty-home"
    "favorites-nofile|favorites|--home $work/empty-home"
    "workspaces-nofile|workspaces|--home $work/empty-home"
)
families=(systemSmall systemMedium systemLarge systemExtraLarge)
modes=(fullColor accented vibrant)
formats=(text ansi html tree json)

normalise() {
    # The moment of the request, wherever it is printed; the placeholders' sample items are dated
    # relative to it.
    local dates='s/^(        "date": )"[^"]*"/\1"NOW"/'
    [[ "$1" == placeholder-* ]] && dates='s/("(date|pubDate)": )"[^"]*"/\1"NOW"/'
    sed -E -e "$dates" -e 's/("after": )"[^"]*"/\1"NOW"/' -e 's/^(  entry at ).*/\1NOW/' \
        -e 's/(reload after ).*/\1NOW/'
}

run() {
    local file=$1
    shift
    local cache
    cache=$(mktemp -d -p "$work")
    env -i PATH="$PATH" HOME="$work/empty-home" XDG_CACHE_HOME="$cache" TZ=UTC LANG=C.UTF-8 \
        "$program" "$@" 2>"$out/$file.err" | normalise "$file" >"$out/$file" || echo "exit $?" >>"$out/$file.err"
    [[ -s "$out/$file.err" ]] || rm -f "$out/$file.err"
}

for line in "${cases[@]}"; do
    IFS='|' read -r name kind arguments <<<"$line"
    # The arguments split at blanks except inside "--set group=Empty Group".
    if [[ "$arguments" == *"group=Empty Group"* ]]; then
        read -r -a args <<<"${arguments%--set*}"
        args+=(--set "group=Empty Group")
    else
        read -r -a args <<<"$arguments"
    fi
    for family in "${families[@]}"; do
        for mode in "${modes[@]}"; do
            for format in "${formats[@]}"; do
                run "$name.$family.$mode.$format" render "$kind" --family "$family" --rendering-mode "$mode" \
                    --format "$format" "${args[@]}"
            done
        done
    done
done
for kind in readinglist favorites workspaces tips; do
    for family in "${families[@]}"; do
        for mode in "${modes[@]}"; do
            for format in "${formats[@]}"; do
                run "placeholder-$kind.$family.$mode.$format" placeholder "$kind" --family "$family" \
                    --rendering-mode "$mode" --format "$format"
            done
        done
    done
done
echo "$(ls "$out" | wc -l) files in $out"
