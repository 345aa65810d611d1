#!/usr/bin/env bash
# Sets up, builds and starts the game from the repository's root, where it finds data/.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target brimzo
exec build/brimzo
