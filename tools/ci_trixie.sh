#!/usr/bin/env bash
# Debian 13 in CI, or by hand: the README's test command (./test.sh) on a fresh clone of this
# repository's HEAD inside a fresh Debian 13 root, with the SDL 1.2 runtimes it ran checked
# against EXPECTED; then the Debian 13 variant of tools/check_install.sh on the package built
# here, on Debian 12.
#   tools/ci_trixie.sh [EXPECTED]      (default "compat": Debian 13's own SDL 1.2 is sdl12-compat)
# Needs root and the Debian archive. The minimal root (debootstrap --variant=minbase trixie) and
# every downloaded package are kept in /var/cache/brimzo-ci (BRIMZO_CI_CACHE), so a later run on
# the same machine starts from them; the root itself, /var/tmp/brimzo-ci-trixie, is made anew
# each run. On any exit, every process left in the root is stopped by its pid and every mount
# below it undone. Each step's time is printed, and all of them at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "ci_trixie.sh: run as root (debootstrap, chroot, mount)" >&2; exit 1; }
expected=${1:-compat}
cache=${BRIMZO_CI_CACHE:-/var/cache/brimzo-ci}
root=/var/tmp/brimzo-ci-trixie
. tools/debian_root.sh

times=()
step() { # step NAME COMMAND...: runs it, prints and keeps its time
    local name=$1 start=$SECONDS status=0
    shift
    echo "== [trixie] $name"
    "$@" || status=$?
    times+=("$(printf '%5d s  %s' $((SECONDS - start)) "$name")")
    echo "== [trixie] $name: $((SECONDS - start)) s, status $status"
    return $status
}
summary() {
    echo "Debian 13 steps:"
    printf '  %s\n' "${times[@]}"
}
trap 'summary; root_close "$root"' EXIT

in_root() { # the command line, as root in the root, in a clean login-like environment
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI="${CI:-}" TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash -c "$1"
}

step "fresh root from the cached minimal trixie" root_fresh "$root" trixie "$cache"
step "git clone of HEAD" git clone --quiet --no-hardlinks "$PWD" "$root/root/brimzo"
echo "Debian $(cat "$root/etc/debian_version"), commit $(git -C "$root/root/brimzo" rev-parse --short HEAD)"
step "./test.sh in the root (set-up, builds, suites)" in_root 'cd /root/brimzo && ./test.sh'
ran=$(cat "$root/root/brimzo/build/sdl-runtimes-tested" 2>/dev/null || true)
echo "SDL 1.2 runtimes tested on Debian 13: '$ran', expected: '$expected'"
[ "$ran" = "$expected" ] || { echo "ci_trixie.sh: the runtimes tested are not the ones expected" >&2; exit 1; }
root_close "$root"

step "install check, Debian 13 variant" env BRIMZO_CHECK_CACHE="$cache" tools/check_install.sh --variants trixie
