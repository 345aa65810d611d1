#!/bin/bash
# Cross-builds tools/wine_scores_check.cpp with MinGW-w64 against the score file and its Windows
# operations, and runs it under Wine in a fresh prefix and a fresh folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
x86_64-w64-mingw32-g++-posix -std=c++17 -Wall -Wextra -Werror -O1 -I"$root/src" \
  "$root/tools/wine_scores_check.cpp" "$root/src/scores/score_file.cpp" \
  "$root/src/scores/score_fs_windows.cpp" "$root/src/scores/insertion.cpp" \
  "$root/src/app/log.cpp" -static -lz -o "$work/wine_scores_check.exe"
mkdir "$work/run" "$work/prefix"
cd "$work/run"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
status=0
wine "$work/wine_scores_check.exe" || status=$?
wineserver -w # before the prefix is removed
exit $status
