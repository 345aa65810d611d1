#!/usr/bin/env bash
# The launcher in an unpacked tree with a stand-in for the game: the player's directory and its
# links, their refresh after an upgrade, the player's own files, the exit status, and the
# second start without sound when no audio output opens.
set -euo pipefail
launcher="$1"

work=$(mktemp -d /tmp/brimzo-launcher-XXXXXX)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
root="$work/root"
mkdir -p "$root/usr/games" "$root/usr/libexec/brimzo" "$root/usr/share/games/brimzo/data"
install -m 755 "$launcher" "$root/usr/games/brimzo"
assets="$root/usr/share/games/brimzo/data"
echo font >"$assets/SF Old Republic Bold Italic.ttf"
echo board >"$assets/grille.png"
echo old >"$assets/ligne.wav"

# The stand-in records where it ran, what it found in data/ and its audio driver, then does
# what FAKE tells it: "ok", "exit N", "no-audio" (fails like the game without sound output
# unless a driver is set: log line ERREUR : $FAKE_STEP, SDL_MIXER by default; with a driver,
# gets past start-up and exits 0, or with FAKE_SILENT=fail fails once more at SDL_INIT),
# "save" (writes a score file).
cat >"$root/usr/libexec/brimzo/brimzo" <<'GAME'
#!/bin/sh
echo "run pwd=$(pwd -P) audio=${SDL_AUDIODRIVER-unset}" >>"$FAKE_RECORD"
: >brimzo.log
case $FAKE in
ok) exit 0 ;;
exit*) exit "${FAKE#exit }" ;;
no-audio)
    if [ -z "${SDL_AUDIODRIVER+set}" ]; then
        printf 'D\351marrage du programme\nERREUR : %s\nEchec de l'"'"'initialisation de la SDL\n' "${FAKE_STEP:-SDL_MIXER}" >brimzo.log
        exit 1
    fi
    if [ "${FAKE_SILENT:-}" = fail ]; then
        printf 'D\351marrage du programme\nERREUR : SDL_INIT\nEchec de l'"'"'initialisation de la SDL\n' >brimzo.log
        exit 1
    fi
    printf 'D\351marrage du programme\nChargement des fontes et images globales...\nconstruction classe intro...\n' >brimzo.log
    sleep 1 # a game in play, during which the notice is given
    exit 0 ;;
save) printf 'ZED 120' >data/scores.txt; exit 0 ;;
esac
GAME
chmod +x "$root/usr/libexec/brimzo/brimzo"
chmod -R a-w "$root"

export FAKE_RECORD="$work/record"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME SDL_AUDIODRIVER
player="$HOME/.local/share/brimzo"
fail() { echo "FAIL: $*"; exit 1; }
run() { # run MODE [env...]: the launcher's status
    : >"$FAKE_RECORD"
    set +e
    env FAKE="$1" "${@:2}" "$root/usr/games/brimzo" 2>"$work/stderr"
    status=$?
    set -e
}
links_are() { # the sorted "name -> target" lines of the player's data/ links
    local got
    got=$(cd "$player/data" && for f in * .[!.]*; do if [ -L "$f" ]; then echo "$f -> $(readlink "$f")"; fi; done | sort)
    [ "$got" = "$1" ] || fail "links: got [$got], expected [$1]"
}

# First start: the directory is made, one link per asset (a name with spaces among them),
# the game runs there and its status is passed on.
run ok
[ "$status" -eq 0 ] || fail "status $status"
grep -qx "run pwd=$player audio=unset" "$FAKE_RECORD" || fail "ran as $(cat "$FAKE_RECORD")"
links_are "SF Old Republic Bold Italic.ttf -> $assets/SF Old Republic Bold Italic.ttf
grille.png -> $assets/grille.png
ligne.wav -> $assets/ligne.wav"
[ "$(cat "$player/data/SF Old Republic Bold Italic.ttf")" = font ] || fail "font link"
for code in 1 3; do
    run "exit $code"
    [ "$status" -eq "$code" ] || fail "status $status instead of $code"
done

# The player's scores stay a file of their own, in their directory.
run save
[ -f "$player/data/scores.txt" ] && [ ! -L "$player/data/scores.txt" ] || fail "no score file"

# An upgrade: one asset removed, one changed, one added, plus an installed scores.txt that
# must never replace the player's. A stale link, a link with a wrong target, a temporary link
# left by a launcher that is gone and a plain copy of an asset are cleaned up.
chmod -R u+w "$root"
rm "$assets/ligne.wav"
echo new >"$assets/grille.png"
echo added >"$assets/mouvement.wav"
echo installed >"$assets/scores.txt"
chmod -R a-w "$root"
snapshot() { find "$root" -printf '%p %y %s %T@ %l\n' | sort; }
before=$(snapshot)
ln -s /nowhere "$player/data/gone.png"
ln -sfn "$work" "$player/data/grille.png"
sh -c 'exit 0' &
gone_pid=$!
wait "$gone_pid"
ln -s "$assets/grille.png" "$player/data/.grille.png.$gone_pid"
# The temporary link of a launcher that is still running is its own: left alone.
sleep 60 &
live_pid=$!
ln -s "$assets/grille.png" "$player/data/.mouvement.wav.$live_pid"
echo copy >"$player/data/mouvement.wav"
echo mine >"$player/data/scores.cle"
run ok
[ "$status" -eq 0 ] || fail "status $status after the upgrade"
[ -L "$player/data/.mouvement.wav.$live_pid" ] || fail "a running launcher's link was removed"
kill "$live_pid"
rm "$player/data/.mouvement.wav.$live_pid"
links_are "SF Old Republic Bold Italic.ttf -> $assets/SF Old Republic Bold Italic.ttf
grille.png -> $assets/grille.png
mouvement.wav -> $assets/mouvement.wav"
[ "$(cat "$player/data/grille.png")" = new ] || fail "changed asset not seen"
[ "$(cat "$player/data/scores.txt")" = "ZED 120" ] || fail "score file replaced"
[ "$(cat "$player/data/scores.cle")" = mine ] || fail "key replaced"

# A second player has a table of their own; an absolute XDG_DATA_HOME is honoured, a
# relative one is not.
run save HOME="$work/other"
[ -f "$work/other/.local/share/brimzo/data/scores.txt" ] || fail "second player's scores"
run ok XDG_DATA_HOME="$work/xdg"
grep -qx "run pwd=$work/xdg/brimzo audio=unset" "$FAKE_RECORD" || fail "XDG_DATA_HOME: $(cat "$FAKE_RECORD")"
(cd "$work" && run ok XDG_DATA_HOME=relative && grep -q "pwd=$player " "$FAKE_RECORD") ||
    fail "relative XDG_DATA_HOME used"

# No sound output: one more start with the dummy driver, whose status counts. The failure
# line is SDL_MIXER on the classic SDL 1.2, and may be SDL_INIT on the compatibility layer.
for step in SDL_MIXER SDL_INIT; do
    run no-audio FAKE_STEP=$step
    [ "$status" -eq 0 ] || fail "status $status with no audio ($step)"
    [ "$(cut -d' ' -f3 "$FAKE_RECORD" | tr '\n' ' ')" = "audio=unset audio=dummy " ] ||
        fail "runs ($step): $(cat "$FAKE_RECORD")"
    grep -q "starting without sound" "$work/stderr" || fail "no notice of the silent start ($step)"
done
# A silent start that fails as well: its status, and no notice of a start that did not happen.
run no-audio FAKE_SILENT=fail
[ "$status" -eq 1 ] && [ "$(wc -l <"$FAKE_RECORD")" -eq 2 ] || fail "second failure: status $status, $(cat "$FAKE_RECORD")"
! grep -q "without sound" "$work/stderr" || fail "notice of a silent start that failed"
# A driver the player chose is respected: no second start, whichever step failed.
for step in SDL_MIXER SDL_INIT; do
    for driver in alsa ""; do
        run no-audio SDL_AUDIODRIVER="$driver" FAKE_STEP=$step
        [ "$(wc -l <"$FAKE_RECORD")" -eq 1 ] || fail "restarted over SDL_AUDIODRIVER='$driver' ($step)"
    done
done
# Status 1 without the audio line is passed on as it is.
run "exit 1"
[ "$status" -eq 1 ] && [ "$(wc -l <"$FAKE_RECORD")" -eq 1 ] || fail "restarted after another failure"

# Nothing was written to the installed tree (read-only, but tests may run as root).
[ "$(snapshot)" = "$before" ] || fail "installed tree written"
echo "launcher test passed"
