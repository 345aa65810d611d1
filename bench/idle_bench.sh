#!/usr/bin/env bash
# Idle CPU: the game's process CPU time (utime + stime) over a span on each screen, in a real X
# window, with nothing happening, against the bare window program running on the same display
# over the very same span. Prints one table row per screen.
#   idle_bench.sh GAME BARE DATA_DIR DISPLAY SECONDS
set -euo pipefail
game_bin="$1" bare_bin="$2" data_dir="$3" display="$4" span="$5"
export DISPLAY="$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
tck=$(getconf CLK_TCK)

work=$(mktemp -d /tmp/brimzo-idle-XXXXXX)
game="" bare=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  [ -n "$bare" ] && kill "$bare" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for d in game bare; do
  mkdir -p "$work/$d"
  cp -r "$data_dir" "$work/$d/data"
  rm -f "$work/$d/data/scores.txt" "$work/$d/data/scores.cle"
done

# An xdotool call that could not reach the display is tried again; any other failure is real.
xdo() {
  local err
  for _ in 1 2 3 4 5; do
    if err=$(xdotool "$@" 2>&1 >/dev/null); then return 0; fi
    echo "$err" | grep -qi "open display" || { echo "xdotool $*: $err" >&2; return 1; }
    sleep 0.3
  done
  return 1
}
xdo_out() {
  for _ in 1 2 3 4 5; do
    if out=$(xdotool "$@" 2>/dev/null) && [ -n "$out" ]; then echo "$out" | head -n 1; return 0; fi
    sleep 0.3
  done
  return 1
}

# CPU ticks of a process so far (user + system, every thread).
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }

log_count() { local n; n=$(grep -c "$1" "$work/game/brimzo.log" 2>/dev/null) || true; echo "${n:-0}"; }
wait_log() { # pattern, count to reach
  for _ in $(seq 200); do [ "$(log_count "$1")" -ge "$2" ] && return 0; sleep 0.05; done
  echo "idle_bench: the log never showed '$1'" >&2; return 1
}

# The bare program to the right of the game's window; a start the display refused is retried.
for _ in 1 2 3 4 5; do
  (cd "$work/bare" && SDL_VIDEO_WINDOW_POS=850,0 exec "$bare_bin") &
  bare=$!
  if xdo_out search --sync --name '^Brimzo floor$' >/dev/null && kill -0 "$bare" 2>/dev/null; then break; fi
  kill "$bare" 2>/dev/null || true; bare=""
done
[ -n "$bare" ] || { echo "idle_bench: the bare program never opened its window" >&2; exit 1; }

for _ in 1 2 3 4 5; do
  rm -f "$work/game/brimzo.log"
  (cd "$work/game" && SDL_VIDEO_WINDOW_POS=0,0 exec "$game_bin") &
  game=$!
  for _ in $(seq 100); do
    [ "$(log_count "construction classe intro")" -ge 1 ] && break
    grep -q "ERREUR : SDL_" "$work/game/brimzo.log" 2>/dev/null && break
    kill -0 "$game" 2>/dev/null || break
    sleep 0.05
  done
  [ "$(log_count "construction classe intro")" -ge 1 ] && break
  kill "$game" 2>/dev/null || true; wait "$game" 2>/dev/null || true; game=""
done
[ -n "$game" ] || { echo "idle_bench: the game never started" >&2; exit 1; }
window=$(xdo_out search --sync --name '^Brimzo$')

measure() { # screen name
  sleep 1.5 # lets the screen settle (the game's first deal fades in)
  local g0 b0 g1 b1
  g0=$(cpu_ticks "$game") b0=$(cpu_ticks "$bare")
  sleep "$span"
  g1=$(cpu_ticks "$game") b1=$(cpu_ticks "$bare")
  awk -v n="$1" -v g=$((g1 - g0)) -v b=$((b1 - b0)) -v t="$tck" -v s="$span" 'BEGIN {
    gm = g * 1000 / t; bm = b * 1000 / t; r = b > 0 ? g / b : 0
    printf "Idle CPU %s (%d s)\t%.0f ms\t%.0f ms\t%.2fx\t<= 1.5x\t%s\n", n, s, gm, bm, r,
      (b > 0 && r <= 1.5) ? "yes" : "NO" }'
}

measure intro
xdo mousemove --window "$window" 400 300 click 1
wait_log "construction classe aide" 1
measure help
xdo key space
wait_log "construction classe menu" 1
measure menu
scores_before=$(log_count "hi_scores")
xdo key Down
sleep 0.2
xdo key Down
sleep 0.2
xdo key Return
wait_log "hi_scores" $((scores_before + 1))
measure "high scores"
xdo key space
wait_log "construction classe menu" 2
xdo key Return
wait_log "construction classe jeu" 1
measure game
xdo key Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.05; done
wait "$game" 2>/dev/null || true
game=""
