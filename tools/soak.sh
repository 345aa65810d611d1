#!/usr/bin/env bash
# Full-size soak and event storm: 10,000 seeded games of random legal moves through the rules
# (release build), then 100,000 frames of random events through the real screens under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, then the shared high-score
# table: 8 processes recording 200 results each on one table (also killed 100 times at
# random, and as two users of a shared install when run as root) and 1,000 saves raced by
# loads; then 20 launchers started at once on one player's directory (Xvfb). The suite runs
# all of them at a reduced size.
#   tools/soak.sh [games] [frames] [results] [launchers]     (0 skips that part)
set -euo pipefail
cd "$(dirname "$0")/.."
games=${1:-10000}
frames=${2:-100000}
results=${3:-200}
launchers=${4:-20}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target soak_test shared_table_test brimzo
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRIMZO_SANITIZE=ON -DBRIMZO_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)" --target event_storm_test

if [ "$games" -gt 0 ]; then
  BRIMZO_SOAK_GAMES=$games build/soak_test
fi
if [ "$frames" -gt 0 ]; then
  BRIMZO_STORM_FRAMES=$frames LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    build-sanitize/event_storm_test
fi
if [ "$results" -gt 0 ]; then
  BRIMZO_SHARED_RESULTS=$results BRIMZO_SHARED_KILLS=100 BRIMZO_RACE_ROUNDS=1000 \
    build/shared_table_test --gtest_filter='*ManyGames*:*Racing*'
fi
if [ "$launchers" -gt 0 ]; then
  bash tests/launchers_together_test.sh build . "$launchers"
fi
