#!/bin/bash
# The Windows launcher (brimzo.exe) under Wine, with a stand-in game that records each start:
#   tests/windows/launcher_test.sh LAUNCHER.exe STAND_IN_GAME.exe
# Runs in the WINEPREFIX ctest was given.
set -u
launcher=$1
game=$2
run=$(cd "$(dirname "$0")/../../tools" && pwd)/wine_run.sh
work=$(mktemp -d /tmp/brimzo-wlauncher-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0

# case NAME EXPECTED_STATUS EXPECTED_RUNS SETUP [ENV...]: a fresh folder holding the launcher and
# the stand-in as brimzo-game.exe, SETUP's files in it, the launcher started from elsewhere.
check() {
    local name=$1 want_status=$2 want_runs=$3 setup=$4
    shift 4
    local dir="$work/$name"
    mkdir -p "$dir/elsewhere"
    cp "$launcher" "$dir/brimzo.exe"
    cp "$game" "$dir/brimzo-game.exe"
    cp "$(dirname "$launcher")"/*.dll "$dir/"
    (cd "$dir" && eval "$setup")
    local status
    (cd "$dir/elsewhere" && env -u SDL_AUDIODRIVER "$@" "$run" "Z:$dir/brimzo.exe")
    status=$?
    local runs
    runs=$(tr -d '\r' <"$dir/runs.txt" 2>/dev/null | paste -sd' ')
    if [ "$status" != "$want_status" ] || [ "$runs" != "$want_runs" ]; then
        echo "FAIL $name: status $status (want $want_status), runs '$runs' (want '$want_runs')"
        failures=$((failures + 1))
    else
        echo "ok   $name: status $status, runs '$runs'"
    fi
    if [ -e "$dir/elsewhere/runs.txt" ]; then
        echo "FAIL $name: the game ran in the starting folder, not in its own"
        failures=$((failures + 1))
    fi
}

check sound_works 0 "<unset>" ":"
check no_sound_falls_back 0 "<unset> dummy" "touch no_sound"
check players_driver_kept 1 "winmm" "touch no_sound" SDL_AUDIODRIVER=winmm
check players_empty_driver_kept 1 "" "touch no_sound" SDL_AUDIODRIVER=
check other_failure_not_retried 1 "<unset>" "echo 1 > status"
check other_status_passed_on 3 "<unset>" "echo 3 > status"
# A log left by an earlier run that failed on sound does not count for this one.
check stale_log_ignored 1 "<unset>" "echo 1 > status; printf 'ERREUR : SDL_MIXER\r\n' > brimzo.log"

[ "$failures" -eq 0 ]
