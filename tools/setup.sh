#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and be tested, if any is missing,
# by names that exist on Debian 12 and Debian 13 alike, plus the packages named as arguments
# (tools/fuzz.sh adds its compiler and libFuzzer that way).
#   tools/setup.sh [PACKAGE...]
# On a system without apt-get it installs nothing: it checks what the build needs and, when
# something is missing, stops with the list of what to install with that system's own tools.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-mixer1.2-dev zlib1g-dev
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils python3-pil libsdl1.2-compat
  dpkg-dev file lintian desktop-file-utils appstream
  python3 bsdextrautils # tools/bench.sh: its table (json, column)
  "$@"
)

if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
  missing=()
  for tool in c++ cmake pkg-config python3 Xvfb xdotool; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  for module in sdl SDL_image SDL_ttf SDL_mixer zlib; do
    command -v pkg-config >/dev/null && pkg-config --exists "$module" || missing+=("$module (pkg-config)")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    cat >&2 <<EOF
tools/setup.sh: this system has no apt-get, so nothing was installed; missing: ${missing[*]}
Install with the system's own package manager (names differ from system to system):
  - a C++17 compiler, CMake 3.16 or later, pkg-config, zlib with its headers
  - SDL 1.2 with its headers: the classic library or sdl12-compat (over SDL 2)
  - SDL_image 1.2, SDL_ttf 2.0 and SDL_mixer 1.2, with their headers
  - GoogleTest (and Google Benchmark, optional) for ./test.sh
  - Xvfb, xdotool, xprop, Python 3 with Pillow (the real-window tests)
  - dpkg-deb, lintian, desktop-file-validate, appstreamcli (the package test)
These systems are untested: see the README.
EOF
    exit 1
  fi
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}"
fi
