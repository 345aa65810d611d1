#!/bin/bash
# The Windows game in a real window under Wine on Xvfb: the whole turn of tests/x11_window_test.py
# played on brimzo-game.exe with SDL's windib driver, from a folder laid out as the zip ships it.
#   tests/windows/window_test.sh BUILD_DIR SOURCE_DIR
# Runs in its own fresh Wine prefix. A failed run keeps its folder, with a screenshot.
set -euo pipefail
build=$1
source_dir=$2
for tool in Xvfb xdotool wine; do
    command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done

work=$(mktemp -d /tmp/brimzo-wwindow-XXXXXX)
cleanup() {
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
game="$work/game"
mkdir -p "$game"
cp "$build/brimzo-game.exe" "$build"/*.dll "$game/"
cp -r "$source_dir/data" "$game/data"
rm -f "$game/data/scores.txt" "$game/data/scores.cle" "$game/data/brimzo.log"

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$source_dir/tests/support/xvfb.sh"
start_xvfb 140 180 1024x768x24 || true
[ -n "$display" ] || { echo "could not start Xvfb"; exit 1; }
# The prefix is made with the display there, so that Wine's X11 driver is the one it keeps.
DISPLAY="$display" wine wineboot -i >/dev/null 2>&1
WINEPREFIX="$work/prefix" wineserver -w

# windib pinned: the driver a Windows player's game uses; audio silent, as in the suite.
DISPLAY="$display" SDL_VIDEODRIVER=windib SDL_AUDIODRIVER=dummy \
    /usr/bin/python3 "$source_dir/tests/x11_window_test.py" "$game/brimzo-game.exe" \
    "$source_dir" "$game"
WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
rm -rf "$work"
