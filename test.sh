#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless, then again under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
(cd build && ctest --output-on-failure -j"$(nproc)")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRIMZO_SANITIZE=ON -DBRIMZO_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)"
(cd build-sanitize && LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
  ctest --output-on-failure -j"$(nproc)")
