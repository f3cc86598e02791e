#!/usr/bin/env bash
# Installs what building, testing and running quillbrook-widgets needs on Debian 12.
# Idempotent: installs only missing packages, and refreshes the package lists only then.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
  libboost1.81-dev libboost-url1.81-dev libexpat1-dev libicu-dev libcurl4-openssl-dev libssl-dev
  nlohmann-json3-dev libfmt-dev libgdk-pixbuf-2.0-dev libsystemd-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev gettext python3 openssl
  python3-jsonschema
  adwaita-icon-theme shared-mime-info
  dbus-daemon
  libgtkmm-3.0-dev libgtk-layer-shell-dev
  librsvg2-common
  scdoc file
)
# The browser test needs a browser and Node.js.
if [[ "${QUILLBROOK_BROWSER_TESTS:-1}" == 1 ]]; then
  packages+=(chromium nodejs npm)
fi
# The desktop tests: a headless Wayland compositor (sway, run as an unprivileged user by setpriv from
# util-linux) with grim for screenshots and Waybar as a real bar; an X server in memory (Xvfb) with
# xwd, xprop and xwininfo for screenshots and window checks, and xdotool for clicks.
if [[ "${QUILLBROOK_DESKTOP_TESTS:-1}" == 1 ]]; then
  packages+=(sway grim waybar xvfb x11-utils x11-apps xdotool fonts-dejavu-core)
fi

# The install and package tests: strace proves that the installed program leaves the source tree
# alone, desktop-file-validate and appstreamcli check the installed entries, man renders the manual
# page, lintian checks the package, and the completions are tried in zsh and fish (about 65 MB).
if [[ "${QUILLBROOK_INSTALL_TESTS:-1}" == 1 ]]; then
  packages+=(strace desktop-file-utils appstream man-db lintian zsh fish)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    # A command of the same name counts (node and npm may come from elsewhere).
    case "$p" in nodejs) command -v node >/dev/null && continue ;; npm) command -v npm >/dev/null && continue ;; esac
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Browser-test driver, pinned by the lock file.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [[ "${QUILLBROOK_BROWSER_TESTS:-1}" == 1 && -f "$root/tests/browser/package-lock.json" && ! -d "$root/tests/browser/node_modules" ]]; then
  (cd "$root/tests/browser" && npm ci --silent --no-audit --no-fund)
fi
