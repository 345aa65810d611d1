#!/usr/bin/env bash
# Full-size soak and event storm: 10,000 seeded games of random legal moves through the rules
# (release build), then 100,000 frames of random events through the real screens under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer. The suite runs both at a
# reduced size.
#   tools/soak.sh [games] [frames]     (0 skips that part)
set -euo pipefail
cd "$(dirname "$0")/.."
games=${1:-10000}
frames=${2:-100000}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target soak_test
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRIMZO_SANITIZE=ON -DBRIMZO_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target event_storm_test

if [ "$games" -gt 0 ]; then
  BRIMZO_SOAK_GAMES=$games build/soak_test
fi
if [ "$frames" -gt 0 ]; then
  BRIMZO_STORM_FRAMES=$frames LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    build-sanitize/event_storm_test
fi
