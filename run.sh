#!/usr/bin/env bash
# Sets up, builds and starts the game from the repository's root, where it finds data/.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target brimzo

# A driver chosen by the player is used as it is.
if [ -n "${SDL_AUDIODRIVER+set}" ]; then
  exec build/brimzo "$@"
fi

# With no sound output the game stops at start-up with status 1, its log's failure line being
# "ERREUR : SDL_MIXER" (or "ERREUR : SDL_INIT" on the compatibility layer over SDL 2, whose
# SDL_Init starts the audio driver): as the installed launcher does, it is then started once
# more with SDL's silent driver, and the terminal says so once that start is past start-up.
status=0
build/brimzo "$@" || status=$?
if [ "$status" -eq 1 ] && grep -qxE 'ERREUR : SDL_(MIXER|INIT)' brimzo.log 2>/dev/null; then
  rm -f brimzo.log
  # The game takes this script's place; beside it, a watcher says so once its first screen is
  # built.
  self=$$
  (
    while :; do
      if grep -qF 'construction classe intro' brimzo.log 2>/dev/null; then
        echo "run.sh: no sound output could be opened; starting without sound"
        exit 0
      fi
      kill -0 "$self" 2>/dev/null || exit 0
      sleep 0.1
    done
  ) &
  SDL_AUDIODRIVER=dummy exec build/brimzo "$@"
fi
exit "$status"
