#!/usr/bin/env bash
# The .deb made by CPack: its file list, its lintian result (no error, no warning), and the
# launcher of the unpacked package run by a new player (HOME a fresh directory) in a real
# window: the window appears with the class the desktop entry names, the score file and key
# land in the player's directory, and the read-only unpacked tree is left untouched.
set -euo pipefail
build="$1"
source_dir="$2"
for tool in cpack dpkg-deb lintian appstreamcli Xvfb xdotool xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (tools/setup.sh installs it)"; exit 1; }
done
fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d /tmp/brimzo-package-XXXXXX)
cleanup() {
    [ -n "${game:-}" ] && kill "$game" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log") ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/pkg/brimzo_*.deb)

# The file list: the game's data exactly as in data/ (without score files or the font's
# licence, which is in the copyright file), and the installed files around it.
expected=$(
    cd "$source_dir/data"
    for f in *; do
        case $f in scores.* | FONT-LICENSE.txt) ;; *) echo "./usr/share/games/brimzo/data/$f" ;; esac
    done
    for size in 48 64 128 256; do echo "./usr/share/icons/hicolor/${size}x$size/apps/brimzo.png"; done
    printf '%s\n' ./usr/games/brimzo ./usr/libexec/brimzo/brimzo \
        ./usr/share/applications/io.github.brimzo.brimzo.desktop \
        ./usr/share/metainfo/io.github.brimzo.brimzo.metainfo.xml \
        ./usr/share/man/man6/brimzo.6.gz ./usr/share/doc/brimzo/copyright \
        ./usr/share/doc/brimzo/changelog.gz ./usr/share/lintian/overrides/brimzo
)
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$')
[ "$(sort <<<"$files")" = "$(sort <<<"$expected")" ] ||
    fail "file list differs:$(diff <(sort <<<"$expected") <(sort <<<"$files") || true)"
dpkg-deb -f "$deb" Depends | grep -qF 'libsdl1.2debian (>= 1.2.15+dfsg2) | libsdl1.2-compat-shim' ||
    fail "SDL dependency: $(dpkg-deb -f "$deb" Depends)"

# The AppStream metadata, validated here rather than through lintian: the package overrides
# lintian's tag for the one warning that is expected (no homepage, see
# packaging/lintian-overrides), so any other warning or error must fail this test.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/metainfo/io.github.brimzo.brimzo.metainfo.xml \
    >"$work/metainfo.xml"
appstreamcli validate --no-net "$work/metainfo.xml" >"$work/appstream.log" 2>&1 || true
grep -q 'Validation' "$work/appstream.log" || fail "appstreamcli gave no verdict: $(cat "$work/appstream.log")"
if grep -E '^[EW]: ' "$work/appstream.log" | grep -vE '^W: [^ ]+: url-homepage-missing$'; then
    fail "appstreamcli validate: $(cat "$work/appstream.log")"
fi
grep -E '^[A-Z]: ' "$work/appstream.log" || true

# lintian: no error and no warning. Debian 12's lintian (2.116) predates the AppStream check
# whose tag packaging/lintian-overrides names, so it reports that override as naming an unknown
# tag (alien-tag, an error): there, and only for that line of that file, this is expected.
lintian "$deb" >"$work/lintian.log" 2>&1 || true
expected_alien='^E: brimzo: alien-tag appstream-metadata-validation-failed \[usr/share/lintian/overrides/brimzo:[0-9]+\]$'
lintian-explain-tags appstream-metadata-validation-failed >/dev/null 2>&1 && expected_alien='^$'
if grep -E '^[EW]: ' "$work/lintian.log" | grep -vE "$expected_alien"; then fail "lintian"; fi
grep -E '^[A-Z]: ' "$work/lintian.log" || true

# The unpacked package, read-only, played by a new player.
root="$work/root"
dpkg-deb -x "$deb" "$root"
chmod -R a-w "$root"
snapshot() { find "$root" -printf '%p %y %m %s %T@ %l\n' | sort; }
before=$(snapshot)
export HOME="$work/home"
mkdir "$HOME"
unset XDG_DATA_HOME
player="$HOME/.local/share/brimzo"

. "$source_dir/tests/support/xvfb.sh"
start_xvfb 140 180 1024x768x24 || true
[ -n "$display" ] || fail "could not start Xvfb"
export DISPLAY="$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy

# Xvfb now and then refuses a new client: a start that logged the SDL start-up failure is
# tried again.
window=""
for attempt in 1 2 3; do
    "$root/usr/games/brimzo" &
    game=$!
    window=$(timeout 10 xdotool search --sync --name '^Brimzo$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    wait "$game" || true
    game=""
    grep -qE 'ERREUR : SDL_(SET_VIDEO_MODE|INIT)' "$player/brimzo.log" 2>/dev/null ||
        fail "no window; log: $(cat "$player/brimzo.log" 2>/dev/null)"
done
[ -n "$window" ] || fail "no window after $attempt starts"
# The game (the launcher execs it, SDL_AUDIODRIVER being set) runs on the pass's SDL 1.2. The
# compatibility layer is the SDL 1.2 library that runs over SDL 2: its file names the SDL 2 (or
# SDL 3) library it loads, and that one is mapped. (SDL 2 mapped alone says nothing: on Debian
# 12 the mixer's MIDI synthesiser brings it to the classic library too.)
sdl=$(grep -oE '/[^ ]*/libSDL[^/ ]*\.so[^/ ]*$' "/proc/$game/maps" | sort -u | tr '\n' ' ')
sdl12=$(grep -oE '[^ ]*/libSDL-1\.2\.so[^ ]*' <<<"$sdl" | head -n 1) || fail "the game maps no SDL 1.2: $sdl"
runtime=classic
if grep -qaE 'libSDL(2-2\.0|3)\.so' "$sdl12" && grep -qE 'libSDL(2-2\.0|3)\.so' <<<"$sdl"; then
    runtime=compat
fi
[ "${BRIMZO_EXPECT_SDL:-$runtime}" = "$runtime" ] ||
    fail "the game runs on the $runtime SDL 1.2, not ${BRIMZO_EXPECT_SDL:-}: $sdl"
echo "SDL 1.2 runtime: $runtime ($sdl)"
class=$(xprop -id "$window" WM_CLASS)
wm_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/io.github.brimzo.brimzo.desktop")
[ "$class" = "WM_CLASS(STRING) = \"$wm_class\", \"$wm_class\"" ] || fail "window class: $class"

xdo() { # an xdotool call that could not connect is tried again
    for _ in 1 2 3; do xdotool "$@" && return 0; sleep 0.2; done
    fail "xdotool $*"
}
wait_log() {
    for _ in $(seq 100); do grep -q "$1" "$player/brimzo.log" 2>/dev/null && return 0; sleep 0.1; done
    fail "log never showed: $1; log: $(cat "$player/brimzo.log")"
}
wait_log "construction classe intro"
xdo mousemove --window "$window" 400 300 click 1
wait_log "construction classe aide"
xdo key space
wait_log "construction classe menu"
# The menu's third item opens the high-score table, which makes the player's score file.
xdo mousemove --window "$window" 400 366 click 1
wait_log "hi_scores"
xdo key Escape
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$game" || status=$?
game=""
[ "$status" -eq 0 ] || fail "exit status $status"

for f in data/scores.txt data/scores.cle brimzo.log; do
    [ -f "$player/$f" ] && [ ! -L "$player/$f" ] || fail "$f is not a file of the player's"
done
[ "$(stat -c %s "$player/data/scores.txt")" -eq 71 ] || fail "not the default score file"
[ "$(snapshot)" = "$before" ] || fail "the installed tree was written: $(diff <(echo "$before") <(snapshot) || true)"
echo "package test passed"
