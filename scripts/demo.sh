#!/usr/bin/env bash
# Sets up, builds and runs the demo: every widget in every family, from the sample home in examples/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
QUILLBROOK_BROWSER_TESTS=0 QUILLBROOK_DESKTOP_TESTS=0 bash scripts/setup.sh
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake --preset release >/dev/null
cmake --build --preset release --target quillbrook-widgets
exec build/release/src/host/quillbrook-widgets demo "$@"
