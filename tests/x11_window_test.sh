#!/usr/bin/env bash
# The game in a real X window (Xvfb), a whole turn played with xdotool and read from the screen
# by tests/x11_window_test.py. A failed run keeps its directory, with a screenshot of the window.
set -euo pipefail
binary="$1"
source_dir="$2"
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (tools/setup.sh installs it)"; exit 1; }
done

work=$(mktemp -d /tmp/brimzo-x11-XXXXXX)
cleanup() {
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
cp -r "$source_dir/data" "$work/data"
rm -f "$work/data/scores.txt" "$work/data/scores.cle"

. "$source_dir/tests/support/xvfb.sh"
start_xvfb 90 130 1024x768x24 || true
[ -n "$display" ] || { echo "could not start Xvfb"; exit 1; }

# x11, not a fallback: a start that Xvfb refused fails at once, and the test starts it again.
DISPLAY="$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  /usr/bin/python3 "$source_dir/tests/x11_window_test.py" "$binary" "$source_dir" "$work"
rm -rf "$work"
