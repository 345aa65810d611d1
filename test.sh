#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless, on the classic SDL 1.2 and on its
# compatibility layer, then again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
(cd build && BRIMZO_EXPECT_SDL=classic ctest --output-on-failure -j"$(nproc)")

# The same suite once more on the SDL 1.2 compatibility layer over SDL 2.
multiarch="$(gcc -print-multiarch)"
compat="/usr/lib/$multiarch/sdl12-compat"
[ -e "$compat/libSDL-1.2.so.0" ] || { echo "missing $compat/libSDL-1.2.so.0"; exit 1; }
(cd build && LD_LIBRARY_PATH="$compat${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  BRIMZO_EXPECT_SDL=compat ctest --output-on-failure -j"$(nproc)")

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRIMZO_SANITIZE=ON -DBRIMZO_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)"
(cd build-sanitize && BRIMZO_EXPECT_SDL=classic LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
  ctest --output-on-failure -j"$(nproc)")
