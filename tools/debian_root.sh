# Sourced by the scripts that work in a fresh Debian root (tools/check_install.sh,
# tools/ci_trixie.sh). Needs root and debootstrap (installed when missing).
#   root_base SUITE CACHE      the minimal SUITE root made by `debootstrap --variant=minbase`,
#                              once, kept as CACHE/SUITE-minbase.tar; prints that path
#   root_fresh ROOT SUITE CACHE   ROOT made anew from that tarball, with Debian's archive for
#                              SUITE, the host's resolv.conf, and mounted: /proc, /sys, /dev,
#                              /dev/pts, /dev/shm from the host, /var/cache/apt/archives from
#                              CACHE/archives (the downloaded packages, kept between runs)
#   root_close ROOT            every process whose root is ROOT stopped by its pid (TERM, then
#                              KILL), then every mount below ROOT undone
# MIRROR and SECURITY_MIRROR choose the archive (by default Debian's own).

root_mirror=${MIRROR:-http://deb.debian.org/debian}
root_security=${SECURITY_MIRROR:-http://deb.debian.org/debian-security}

root_base() {
    local suite=$1 cache=$2 base
    base=$cache/$suite-minbase.tar
    mkdir -p "$cache/archives/partial"
    if [ ! -s "$base" ]; then
        command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap >&2; }
        echo "debootstrap --variant=minbase $suite from $root_mirror" >&2
        rm -rf "$cache/base-$suite"
        debootstrap --variant=minbase --cache-dir="$cache/archives" "$suite" "$cache/base-$suite" \
            "$root_mirror" >"$cache/debootstrap-$suite.log" 2>&1 ||
            { tail "$cache/debootstrap-$suite.log" >&2; return 1; }
        tar -C "$cache/base-$suite" -cf "$base.new" . && mv "$base.new" "$base"
        rm -rf "$cache/base-$suite"
    fi
    echo "$base"
}

# The mount points below ROOT, deepest first.
root_mounts() {
    awk -v r="$1/" 'index($2, r) == 1 {print $2}' /proc/mounts | sort -r
}

root_close() {
    local root=$1 pid pids signal m
    [ -d "$root" ] || return 0
    root=$(readlink -f -- "$root")
    for signal in TERM KILL; do
        pids=()
        for pid in /proc/[0-9]*; do
            [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && pids+=("${pid#/proc/}")
        done
        [ ${#pids[@]} -eq 0 ] && break
        echo "stopping what is left in $root (SIG$signal): ${pids[*]}" >&2
        kill -s "$signal" "${pids[@]}" 2>/dev/null || true
        for _ in $(seq 50); do
            local alive=0
            for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
            [ $alive -eq 0 ] && break
            sleep 0.1
        done
    done
    for m in $(root_mounts "$root"); do umount "$m" || umount -l "$m"; done
    if [ -n "$(root_mounts "$root")" ]; then
        echo "something is still mounted below $root" >&2
        return 1
    fi
}

root_fresh() {
    local root=$1 suite=$2 cache=$3 base d security_suite
    base=$(root_base "$suite" "$cache") || return 1
    # What a run cut short left behind is closed first: rm must never reach the host's /dev or
    # /proc through a bind mount, nor the package cache.
    root_close "$root" || return 1
    rm -rf --one-file-system "$root"
    mkdir -p "$root"
    tar -C "$root" -xf "$base"
    rm -f "$root/etc/apt/sources.list"
    security_suite=$suite-security
    cat >"$root/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $root_mirror
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $root_security
Suites: $security_suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    root=$(readlink -f -- "$root")
    for d in proc sys dev dev/pts dev/shm; do
        mkdir -p "$root/$d"
        mount --bind "/$d" "$root/$d"
    done
    mkdir -p "$root/var/cache/apt/archives"
    mount --bind "$cache/archives" "$root/var/cache/apt/archives"
}
