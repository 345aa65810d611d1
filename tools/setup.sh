#!/usr/bin/env bash
# Installs the Debian packages the game needs to build, run and be tested, if any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-mixer1.2-dev zlib1g-dev
  libgtest-dev libbenchmark-dev
  xvfb xdotool x11-utils python3-pil libsdl1.2-compat
  clang libclang-rt-14-dev libfuzzer-14-dev
  dpkg-dev file lintian desktop-file-utils appstream
  python3 bsdextrautils  # tools/bench.sh: its table (json, column)
)
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
