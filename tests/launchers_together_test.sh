#!/usr/bin/env bash
# Launchers started together on one player's directory, as after a double click: the game
# installed in a scratch tree, then N launchers (20 by default) started at once, from a fresh
# player directory and again from one whose links are all stale (as after an upgrade that
# changed every asset). Each launcher's game must start (its process alive, its own window
# found by its process id) and exit 0 after Escape. Every process is checked on its own: the
# games share one log.
#   launchers_together_test.sh BUILD_DIR SOURCE_DIR [N]
set -euo pipefail
build="$1"
source_dir="$2"
count="${3:-20}"
for tool in cmake Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (tools/setup.sh installs it)"; exit 1; }
done
fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d /tmp/brimzo-together-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/usr" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
launcher="$work/usr/games/brimzo"
assets=$(cd "$work/usr/share/games/brimzo/data" && pwd -P)

. "$source_dir/tests/support/xvfb.sh"
start_xvfb 200 240 1280x1024x24 || true
[ -n "$display" ] || fail "could not start Xvfb"
export DISPLAY="$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
unset XDG_DATA_HOME

xdo() { # an xdotool call that could not connect is tried again
    for _ in 1 2 3; do xdotool "$@" 2>/dev/null && return 0; sleep 0.2; done
    return 1
}

# Starts launcher i in the background; its stderr goes to err.i.
start() {
    "$launcher" 2>"$work/err.$1" &
    pids[$1]=$!
}

# The window of launcher i's game, found by the game's process id (the launcher becomes the
# game), or nothing when the process ended first.
window_of() {
    local pid=${pids[$1]} w
    for _ in $(seq 200); do
        w=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1) || true
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
}

round() { # round NAME: all launchers at once, then each game checked and closed
    local name=$1 i w status retries=0
    for i in $(seq "$count"); do start "$i"; done
    for i in $(seq "$count"); do
        for _ in 1 2 3; do
            w=$(window_of "$i")
            [ -n "$w" ] && break
            # The process ended without a window. A failure of the launcher itself (its own
            # messages, or those of the ln, mv and rm it runs) is what this test is about; a
            # game that Xvfb refused (about one client in a hundred) is started again.
            status=0
            wait "${pids[$i]}" || status=$?
            if grep -qE '^(brimzo|ln|mv|rm):' "$work/err.$i"; then
                fail "$name: launcher $i failed (status $status): $(cat "$work/err.$i")"
            fi
            retries=$((retries + 1))
            [ "$retries" -le 3 ] || fail "$name: $retries games ended without a window"
            start "$i"
        done
        [ -n "$w" ] || fail "$name: launcher $i never showed a window"
        kill -0 "${pids[$i]}" 2>/dev/null || fail "$name: game $i is not running"
        windows[$i]=$w
    done
    for i in $(seq "$count"); do
        # With no window manager, the focus is given straight to the game's window, then
        # Escape typed there; a focus or a key that did not take (a window not yet ready for
        # input) is tried again.
        for _ in 1 2 3; do
            for _ in $(seq 20); do
                xdotool windowfocus "${windows[$i]}" 2>/dev/null || true
                [ "$(xdotool getwindowfocus 2>/dev/null)" = "${windows[$i]}" ] && break
                sleep 0.1
            done
            xdo key --clearmodifiers Escape || fail "$name: Escape to game $i"
            for _ in $(seq 50); do kill -0 "${pids[$i]}" 2>/dev/null || break; sleep 0.1; done
            kill -0 "${pids[$i]}" 2>/dev/null || break
        done
        kill -0 "${pids[$i]}" 2>/dev/null && fail "$name: game $i did not close on Escape"
        status=0
        wait "${pids[$i]}" || status=$?
        [ "$status" -eq 0 ] || fail "$name: game $i exited with status $status: $(cat "$work/err.$i")"
    done
    echo "$name: $count launchers started their games ($retries refused starts tried again), all exited 0"
}

declare -a windows
export HOME="$work/fresh"
mkdir "$HOME"
round "fresh directory"

# Every link stale: each asset's link leads where an older install kept it, and one more
# names an asset that is gone.
export HOME="$work/stale"
player="$HOME/.local/share/brimzo"
mkdir -p "$player/data"
for asset in "$assets"/*; do
    ln -s "/usr/share/games/brimzo-old/data/${asset##*/}" "$player/data/${asset##*/}"
done
ln -s /usr/share/games/brimzo-old/data/gone.png "$player/data/gone.png"
round "stale links"
for asset in "$assets"/*; do
    [ "$(readlink "$player/data/${asset##*/}")" = "$asset" ] || fail "link of ${asset##*/} not refreshed"
done
[ ! -e "$player/data/gone.png" ] && [ ! -L "$player/data/gone.png" ] || fail "gone.png kept"
leftover=$(find "$player/data" -name '.*' -type l)
[ -z "$leftover" ] || fail "temporary links left: $leftover"
echo "launchers together test passed"
