#!/usr/bin/env bash
# Installs the .deb as a newcomer would, in fresh Debian chroots, plays it, and removes it again:
#   classic  Debian 12, the plain system: apt brings the classic SDL 1.2 (libsdl1.2debian);
#   compat   Debian 12 with libsdl1.2-compat-shim (SDL 1.2 over SDL 2) installed first,
#            instead of the classic library, which must then stay out;
#   trixie   Debian 13, the plain system, whose own SDL 1.2 (libsdl1.2debian) is built from
#            sdl12-compat; Debian 13's own lintian first checks the package (built on Debian 12):
#            no error and no warning.
# In each: `apt-get install ./brimzo_*.deb` as the README says, the packages it pulled in, then
# as a new normal user under Xvfb the desktop entry's command three times (tools/
# check_install_play.py): a move played with SDL_AUDIODRIVER unset, so that the launcher has to
# fall back to silent play (a chroot has no sound card), the high-score table opened, and a
# move played with the player's own SDL_AUDIODRIVER=dummy, which is used as it is. The game
# must run on the variant's SDL 1.2, told by whether SDL 2 (or SDL 3) is mapped. Then the
# player's files, `apt-get remove --purge` and what it leaves. A manual tool, not part of
# ./test.sh; CI runs its trixie variant (tools/ci_trixie.sh). Needs root, debootstrap
# (installed if missing) and the Debian mirror.
#   tools/check_install.sh [--variants "classic compat trixie"] [DEB]
#                                      (default DEB: build-pkg/brimzo_*.deb, built when missing)
# The minimal roots made by debootstrap and the downloaded packages are kept in
# /var/tmp/brimzo-check/ (BRIMZO_CHECK_CACHE) for the next run; the chroots are made anew each
# time, as /var/tmp/chroot-VARIANT (BRIMZO_CHECK_ROOTS: another folder than /var/tmp), and left
# for a look afterwards (unmounted, with nothing left running). The screenshots of every screen go to /var/tmp/brimzo-check/shots/VARIANT/.
# MIRROR and SECURITY_MIRROR choose the archive (by default Debian's own).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "check_install.sh: run as root (debootstrap, chroot)" >&2; exit 1; }

cache=${BRIMZO_CHECK_CACHE:-/var/tmp/brimzo-check}
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
mkdir -p "$cache/archives/partial" "/var/tmp/brimzo-check/shots"
. tools/debian_root.sh

variants=(classic compat trixie)
if [ "${1:-}" = --variants ]; then
    read -r -a variants <<<"$2"
    shift 2
fi

# The package: the one given, or the one that the README's commands make, in build-pkg/.
deb=${1:-}
if [ -z "$deb" ]; then
    if ! ls build-pkg/brimzo_*.deb >/dev/null 2>&1; then
        tools/setup.sh
        cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIMZO_TESTS=OFF -DBRIMZO_BENCH=OFF >/dev/null
        cmake --build build-pkg -j"$(nproc)" >/dev/null
        (cd build-pkg && cpack -G DEB >/dev/null)
    fi
    deb=$(ls build-pkg/brimzo_*.deb | tail -n 1)
fi
deb=$(readlink -f -- "$deb")
echo "package: $deb"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"

results=()
pass() { results+=("PASS $1: $2"); echo "  ok: $2"; }
fail() { results+=("FAIL $1: $2"); echo "  FAILED: $2"; }
# Seconds since the start, for the timings in the summary.
start_time=$SECONDS
stamp() { echo "[$((SECONDS - start_time)) s] $*"; }

# Whatever a variant left running in its chroot is stopped, and its mounts undone, on any exit.
root=""
trap '[ -z "$root" ] || root_close "$root"' EXIT

# Runs a shell command line inside the chroot, as root.
in_root() { chroot "$root" /bin/sh -c "$1"; }

check_variant() {
    local variant=$1 suite=bookworm expect_sdl=$1
    if [ "$variant" = trixie ]; then suite=trixie expect_sdl=compat; fi
    root=${BRIMZO_CHECK_ROOTS:-/var/tmp}/chroot-$variant
    echo
    stamp "== $variant: fresh $suite chroot $root"
    root_fresh "$root" "$suite" "$cache" || { fail "$variant" "no $suite root"; return; }
    in_root 'apt-get update -qq' || { fail "$variant" "apt-get update"; return; }

    if [ "$variant" = trixie ]; then
        # Debian 13's own lintian (and the AppStream validator it calls) on the Debian 12 package.
        stamp "$variant: lintian"
        cp "$deb" "$root/root/"
        if in_root 'apt-get install -y -qq lintian appstream >/tmp/lintian-install.log 2>&1'; then
            in_root "lintian --version; cd /root && lintian ${deb##*/}" >"$cache/lintian-$variant.log" 2>&1 || true
            sed 's/^/    /' "$cache/lintian-$variant.log"
            if grep -qE '^[EW]: ' "$cache/lintian-$variant.log"; then
                fail "$variant" "lintian $(head -n 1 "$cache/lintian-$variant.log"): errors or warnings"
            else
                pass "$variant" "lintian $(head -n 1 "$cache/lintian-$variant.log"): no error, no warning"
            fi
        else
            in_root 'tail /tmp/lintian-install.log'
            fail "$variant" "lintian does not install"
        fi
    fi

    if [ "$variant" = compat ]; then
        in_root 'apt-cache policy libsdl1.2-compat-shim libsdl1.2-compat | grep -E "^[a-z]|Candidate"'
        in_root 'apt-cache show libsdl1.2-compat-shim | grep -E "^(Version|Provides|Conflicts):"'
        if in_root 'apt-get install -y -qq libsdl1.2-compat-shim >/tmp/shim.log 2>&1'; then
            pass "$variant" "libsdl1.2-compat-shim installed; libSDL-1.2.so.0 from $(in_root 'dpkg -S /usr/lib/x86_64-linux-gnu/libSDL-1.2.so.0 | cut -d: -f1')"
        else
            in_root 'tail /tmp/shim.log'
            fail "$variant" "libsdl1.2-compat-shim does not install"
            return
        fi
    fi

    # The package, installed as the README says; the packages it pulled in are the difference.
    in_root "dpkg-query -W -f '\${Package}\n' | sort >/tmp/before.txt"
    cp "$deb" "$root/root/"
    stamp "$variant: apt-get install -y ./${deb##*/}"
    if in_root 'cd /root && apt-get install -y ./brimzo_*.deb >/tmp/install.log 2>&1'; then
        pass "$variant" "apt-get install ./${deb##*/}"
    else
        in_root 'tail -n 20 /tmp/install.log'
        fail "$variant" "apt-get install ./${deb##*/} refused"
        return
    fi
    local pulled
    pulled=$(in_root "dpkg-query -W -f '\${Package}\n' | sort | comm -13 /tmp/before.txt -")
    echo "  pulled in $(wc -l <<<"$pulled") packages; the SDL ones: $(grep -i sdl <<<"$pulled" | tr '\n' ' ')"
    # Which SDL 1.2 is there now: the classic library, or the compatibility layer alone.
    local sdl
    sdl=$(in_root "dpkg-query -W -f '\${db:Status-Abbrev} \${Package}\n' libsdl1.2debian libsdl1.2-compat-shim 2>/dev/null | awk '\$1 == \"ii\" {print \$2}' | tr '\n' ' '")
    local source
    source=$(in_root "dpkg-query -W -f '\${source:Package}' libsdl1.2debian 2>/dev/null" || true)
    case $variant:$sdl:$source in
    "classic:libsdl1.2debian :libsdl1.2" | "compat:libsdl1.2-compat-shim :"* | "trixie:libsdl1.2debian :sdl12-compat")
        pass "$variant" "SDL 1.2 package: $sdl(source ${source:-none})" ;;
    *) fail "$variant" "SDL 1.2 packages installed: '$sdl' (source '$source')" ;;
    esac

    # The test tools (not the game's), and a new player with an empty home.
    stamp "$variant: test tools and a new user"
    in_root 'apt-get install -y -qq --no-install-recommends xvfb xauth xdotool python3-pil >/tmp/tools.log 2>&1' ||
        { in_root 'tail /tmp/tools.log'; fail "$variant" "test tools do not install"; return; }
    in_root 'id player >/dev/null 2>&1 || useradd -m -s /bin/sh player'
    mkdir -p "$root/opt/brimzo-check" "$root/tmp/shots"
    cp tools/check_install_play.py tests/support/game_window.py tools/gen_images.py "$root/opt/brimzo-check/"
    chmod 1777 "$root/tmp/shots"

    # Three starts, each in a login shell of the player, as from a desktop session.
    local run name mode audio out
    for run in "play-silent play unset" "scores scores unset" "play-dummy play dummy"; do
        read -r name mode audio <<<"$run"
        stamp "$variant: $name (SDL_AUDIODRIVER $audio)"
        local env=""
        [ "$audio" = dummy ] && env="SDL_AUDIODRIVER=dummy "
        out=$(chroot "$root" su - player -c \
            "${env}/usr/bin/python3 /opt/brimzo-check/check_install_play.py $mode /tmp/shots/$name $expect_sdl" 2>&1 |
            grep -v '^ALSA lib') || true
        sed 's/^/    /' <<<"$out"
        if grep -qx 'RESULT ok' <<<"$out"; then
            pass "$variant" "$name: window, screens, exit status 0 on $(grep -o '/usr/lib/[^ ]*libSDL-1.2[^ ]*' <<<"$out" | head -n 1)"
        else
            fail "$variant" "$name: $(grep '^RESULT' <<<"$out" || echo 'no result')"
        fi
        # No sound card here: the launcher must have restarted the game silently, and only
        # when the player had not chosen a driver.
        if grep -q 'starting without sound' <<<"$out"; then
            [ "$audio" = unset ] && pass "$variant" "$name: launcher fell back to the dummy audio driver" ||
                fail "$variant" "$name: launcher replaced the player's own SDL_AUDIODRIVER"
        else
            [ "$audio" = dummy ] && pass "$variant" "$name: the player's SDL_AUDIODRIVER used as set" ||
                fail "$variant" "$name: no fall-back to silent play reported"
        fi
    done
    rm -rf "/var/tmp/brimzo-check/shots/$variant"
    cp -r "$root/tmp/shots" "/var/tmp/brimzo-check/shots/$variant"

    # The player's own directory.
    local f missing=""
    for f in data/scores.txt data/scores.cle brimzo.log; do
        [ -f "$root/home/player/.local/share/brimzo/$f" ] && [ ! -L "$root/home/player/.local/share/brimzo/$f" ] ||
            missing="$missing $f"
    done
    if [ -z "$missing" ]; then
        pass "$variant" "the player's .local/share/brimzo holds data/scores.txt, data/scores.cle, brimzo.log"
    else
        fail "$variant" "missing from the player's .local/share/brimzo:$missing"
    fi

    # Removal: nothing named after the game under /usr, no trace in dpkg, and no path of the
    # package's left that no other package owns (a directory such as /usr/share/applications
    # stays when a test tool put its own file there).
    stamp "$variant: apt-get remove --purge -y brimzo"
    in_root 'apt-get remove --purge -y brimzo >/tmp/remove.log 2>&1' || fail "$variant" "apt-get remove --purge"
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$root/tmp/paths.txt"
    local left
    left=$(in_root '
        find /usr /etc /var/lib/dpkg/info -iname "*brimzo*"
        while read -r p; do
            [ -e "$p" ] && ! dpkg -S "$p" >/dev/null 2>&1 && echo "$p"
        done </tmp/paths.txt
        dpkg -L brimzo >/dev/null 2>&1 && echo "(dpkg still lists brimzo)"
        true')
    if [ -z "$left" ]; then
        pass "$variant" "apt-get remove --purge left nothing under /usr"
    else
        fail "$variant" "left after purge: $(tr '\n' ' ' <<<"$left")"
    fi

    root_close "$root"
}

for v in "${variants[@]}"; do check_variant "$v"; done

echo
echo "Summary ($((SECONDS - start_time)) s; screenshots in /var/tmp/brimzo-check/shots/):"
printf '%s\n' "${results[@]}"
if printf '%s\n' "${results[@]}" | grep -q '^FAIL'; then
    echo "check_install: FAILED"
    exit 1
fi
echo "check_install: all passed"
