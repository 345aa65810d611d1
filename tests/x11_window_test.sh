#!/usr/bin/env bash
# The game in a real X window (Xvfb): an 800 x 600 window titled "Brimzo" opens on the intro;
# a click leads to the help screen, a key to the menu, and Escape quits with status 0.
set -euo pipefail
binary="$1"
source_dir="$2"
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (tools/setup.sh installs it)"; exit 1; }
done

work=$(mktemp -d /tmp/brimzo-x11-XXXXXX)
cleanup() {
  [ -n "${game:-}" ] && kill "$game" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$source_dir/data" "$work/data"
rm -f "$work/data/scores.txt" "$work/data/scores.cle"

. "$source_dir/tests/support/xvfb.sh"
start_xvfb 90 130 1024x768x24 || true
[ -n "$display" ] || { echo "could not start Xvfb"; exit 1; }
export DISPLAY="$display"

(cd "$work" && env -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy "$binary") &
game=$!

wait_log() {
  for _ in $(seq 100); do grep -q "$1" "$work/brimzo.log" 2>/dev/null && return 0; sleep 0.1; done
  echo "log never showed: $1"; cat "$work/brimzo.log"; exit 1
}

window=$(timeout 10 xdotool search --sync --name '^Brimzo$' | head -n 1)
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
echo "$geometry" | grep -q "Geometry: 800x600" || { echo "window is not 800x600"; exit 1; }
wait_log "construction classe intro"

xdotool mousemove --window "$window" 400 300 click 1
wait_log "construction classe aide"
xdotool mousemove --window "$window" 100 100 key space
wait_log "construction classe menu"
xdotool key Escape

for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
set +e
wait "$game"
status=$?
set -e
game=""
echo "exit status $status"
[ "$status" -eq 0 ] || exit 1
tail -n 1 "$work/brimzo.log" | grep -q "ressources globales" || { echo "no shutdown line"; exit 1; }
echo "x11 window test passed"
