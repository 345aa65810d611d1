#!/usr/bin/env bash
# Runs each start-up failure of the game many times, under ASan and UBSan, with as many CPU
# hogs beside it, to catch a fault that shows once in hundreds of runs (a thread that outlives
# a failed start-up, say). Each run must end with status 1, the exact log of its case and no
# sanitizer report; a run that does not is kept with its stderr (symbolised stacks).
#   tools/startup_failures_hunt.sh BINARY [RUNS] [WORKERS] [HOGS]   (defaults: 500 2 2)
# BINARY is a build with -DBRIMZO_SANITIZE=ON. LD_LIBRARY_PATH, when set, goes through to the game
# (to choose its SDL 1.2). Prints a count per case and keeps every odd run in /tmp/brimzo-hunt/odd/.
set -uo pipefail
binary=$(readlink -f -- "$1")
runs=${2:-500}
workers=${3:-2}
hogs=${4:-2}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=/tmp/brimzo-hunt
rm -rf "$work"
mkdir -p "$work/odd"

started=$'D\xe9marrage du programme'
sdl_failed="Echec de l'initialisation de la SDL"
# name | environment | file removed | the log's lines after "Démarrage" (either one, when the
# runtimes fail at different steps)
cases=(
    "video|SDL_VIDEODRIVER=no_such_driver||ERREUR : SDL_INIT"
    "audio|SDL_AUDIODRIVER=no_such_driver||ERREUR : SDL_MIXER|ERREUR : SDL_INIT"
    "sprites|SDL_VIDEODRIVER=dummy|data/pions.png|Un fichier corrompu: 11"
    "font|SDL_VIDEODRIVER=dummy|data/SF Old Republic Bold Italic.ttf|Un fichier corrompu: 1"
    "cursor|SDL_VIDEODRIVER=dummy|data/mouse.png|Un fichier corrompu: 2"
)

one_run() { # one_run CASE N: prints "ok" or "odd", keeps an odd run
    local name env remove first second dir status log expected1 expected2
    IFS='|' read -r name env remove first second <<<"$1"
    dir=$work/$name.$2
    mkdir -p "$dir"
    cp -r "$source_dir/data" "$dir/data"
    rm -f "$dir/data/scores.txt" "$dir/data/scores.cle"
    [ -z "$remove" ] || rm -f "$dir/$remove"
    (cd "$dir" && env -i PATH=/usr/bin:/bin ${LD_LIBRARY_PATH:+LD_LIBRARY_PATH=$LD_LIBRARY_PATH} \
        SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy $env \
        ASAN_OPTIONS=symbolize=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$source_dir/tests/lsan.supp" \
        timeout 60 "$binary" >"$dir/out" 2>&1)
    status=$?
    log=$(iconv -f latin1 -t utf-8 "$dir/brimzo.log" 2>/dev/null)
    expected1=$(printf '%s\n%s\n' "$(iconv -f latin1 -t utf-8 <<<"$started")" "$first")
    [ "$name" = video ] || [ "$name" = audio ] && expected1=$expected1$'\n'$sdl_failed
    expected2=""
    [ -z "$second" ] || expected2=$(printf '%s\n%s\n%s' "$(iconv -f latin1 -t utf-8 <<<"$started")" "$second" "$sdl_failed")
    if [ "$status" -eq 1 ] && { [ "$log" = "$expected1" ] || { [ -n "$expected2" ] && [ "$log" = "$expected2" ]; }; } &&
        ! grep -qE 'Sanitizer|runtime error' "$dir/out"; then
        echo "ok $name $(sed -n 2p <<<"$log")"
        rm -rf "$dir"
    else
        echo "odd $name status=$status"
        mv "$dir" "$work/odd/"
    fi
}
export -f one_run
export work source_dir binary started sdl_failed

hog_pids=()
for _ in $(seq "$hogs"); do
    sha256sum /dev/zero >/dev/null 2>&1 &
    hog_pids+=($!)
done
trap 'kill "${hog_pids[@]}" 2>/dev/null' EXIT

start=$SECONDS
for c in "${cases[@]}"; do
    seq "$runs" | xargs -P "$workers" -I{} bash -c 'one_run "$0" {}' "$c" >"$work/${c%%|*}.results"
    printf '%-8s %s  (%d s so far)\n' "${c%%|*}" \
        "$(cut -d' ' -f1,3- "$work/${c%%|*}.results" | sort | uniq -c | tr '\n' ';')" $((SECONDS - start))
done
odd=$(ls "$work/odd" | wc -l)
echo "odd runs: $odd (kept in $work/odd/)"
[ "$odd" -eq 0 ]
