#!/bin/bash
# The 64-bit Windows build, cross-compiled on Debian 12 with MinGW-w64 and tested under Wine.
#
#   tools/windows.sh [--sources DIR] [--deps-only]
#
# 1. Installs the cross tools if they are missing.
# 2. Builds the libraries the game links against, once, into a cache outside the repository
#    (BRIMZO_WINDOWS_CACHE, default /var/cache/brimzo-windows/<key>), the key made of their
#    versions: zlib, libpng, FreeType, SDL 1.2 and SDL_mixer from Debian's source packages at the
#    newest version the registry serves, SDL_image and SDL_ttf from the tarballs in DIR.
#    The system's apt configuration is never changed: a private sources list and state are used.
# 3. Cross-builds the game and its tests in build-windows/.
# 4. Makes build-windows/brimzo-VERSION-win64.zip and brimzo-VERSION-win64-setup.exe.
# 5. Runs, under Wine, the suite (ctest -LE linux-only, in a fresh prefix), the real-window
#    whole turn (tests/windows/window_test.sh), the installer test and the zip test
#    (tests/windows/package_test.sh, each in prefixes of its own), and prints each one's time.
#    It exits non-zero when any of them fails.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SOURCES=""
DEPS_ONLY=0
while [ $# -gt 0 ]; do
    case "$1" in
    --sources)
        SOURCES=$(cd "$2" && pwd)
        shift 2
        ;;
    --deps-only)
        DEPS_ONLY=1
        shift
        ;;
    *)
        echo "usage: tools/windows.sh [--sources DIR] [--deps-only]" >&2
        exit 2
        ;;
    esac
done
[ -n "$SOURCES" ] || SOURCES=$(cd "$ROOT/../shared/third_party" 2>/dev/null && pwd) || {
    echo "windows.sh: no --sources DIR given and ../shared/third_party is missing" >&2
    exit 2
}

HOST=x86_64-w64-mingw32
CACHE_ROOT=${BRIMZO_WINDOWS_CACHE:-/var/cache/brimzo-windows}
# Raised whenever the way the libraries are built changes, so that a new cache is made.
RECIPE=1
JOBS=${BRIMZO_JOBS:-2}

step_start=$SECONDS
step() {
    echo "== windows.sh: $* (at $((SECONDS - step_start)) s)"
}

loud() {
    echo "##########################################################################" >&2
    for line in "$@"; do echo "### $line" >&2; done
    echo "##########################################################################" >&2
}

# --- 1. The cross tools ------------------------------------------------------------------------
TOOLS=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 nsis zip unzip
    dpkg-dev make pkg-config cmake python3-pil
    libz-mingw-w64-dev) # the last one for tools/wine_scores_check.sh, linked statically
missing=()
for pkg in "${TOOLS[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
    step "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y \
        --no-install-recommends "${missing[@]}"
fi
CC="$HOST-gcc-posix"
CXX="$HOST-g++-posix"
command -v "$CXX" >/dev/null

# --- 2. The dependencies -----------------------------------------------------------------------
APT_DIR="$CACHE_ROOT/apt"
mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial" "$CACHE_ROOT/sources"
cat >"$APT_DIR/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
EOF
APT_OPTS=(-o "Dir::Etc::SourceList=$APT_DIR/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
    -o "Dir::State::Lists=$APT_DIR/lists" -o "Dir::Cache=$APT_DIR/cache"
    -o "APT::Sandbox::User=root")
step "reading the source package lists (private apt state in $APT_DIR)"
apt-get "${APT_OPTS[@]}" -q update >"$APT_DIR/update.log" 2>&1 || {
    cat "$APT_DIR/update.log" >&2
    exit 1
}

# Fetches the newest version of a source package that the registry really serves into
# $CACHE_ROOT/sources/<package>_<version>/ and sets FETCHED_VERSION. Each newer version whose
# files answer an error is reported loudly and recorded in UNFETCHABLE.
UNFETCHABLE=()
fetch_source() {
    local pkg=$1 versions version dir
    versions=$(apt-cache "${APT_OPTS[@]}" showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u |
        while read -r v; do echo "$v"; done)
    # Newest first, in Debian's order.
    versions=$(for v in $versions; do echo "$v"; done | python3 -c '
import sys, functools, subprocess
vs = [l.strip() for l in sys.stdin if l.strip()]
def cmp(a, b):
    if a == b: return 0
    return -1 if subprocess.call(["dpkg", "--compare-versions", a, "lt", b]) == 0 else 1
print("\n".join(sorted(vs, key=functools.cmp_to_key(cmp), reverse=True)))')
    [ -n "$versions" ] || {
        echo "windows.sh: the registry has no source package $pkg" >&2
        exit 1
    }
    for version in $versions; do
        dir="$CACHE_ROOT/sources/${pkg}_${version#*:}"
        if [ -f "$dir/.fetched" ]; then
            FETCHED_VERSION=$version
            return
        fi
        rm -rf "$dir" && mkdir -p "$dir"
        if (cd "$dir" && apt-get "${APT_OPTS[@]}" -q source --download-only "$pkg=$version" \
            >fetch.log 2>&1); then
            touch "$dir/.fetched"
            FETCHED_VERSION=$version
            return
        fi
        local errors
        mapfile -t errors < <(grep -E '^(E|Err):' "$dir/fetch.log" | head -4)
        loud "$pkg $version is the newest version the registry lists, but its files cannot be" \
            "fetched:" "${errors[@]}" \
            "Falling back to an older version: the build does NOT carry this update."
        UNFETCHABLE+=("$pkg $version (listed, files not served)")
        rm -rf "$dir"
    done
    echo "windows.sh: no version of $pkg could be fetched" >&2
    exit 1
}

declare -A VERSION
for pkg in zlib libpng1.6 freetype libsdl1.2 sdl-mixer1.2; do
    fetch_source "$pkg"
    VERSION[$pkg]=$FETCHED_VERSION
done

IMAGE_TAR=$(ls "$SOURCES"/SDL_image-1.2-*.tar.gz | head -1)
TTF_TAR=$(ls "$SOURCES"/SDL_ttf-1.2-*.tar.gz | head -1)
[ -f "$IMAGE_TAR" ] && [ -f "$TTF_TAR" ] || {
    echo "windows.sh: SDL_image and SDL_ttf tarballs not found in $SOURCES" >&2
    exit 1
}

KEY_TEXT="recipe $RECIPE
compiler $($CXX --version | head -1)
$(for pkg in zlib libpng1.6 freetype libsdl1.2 sdl-mixer1.2; do echo "$pkg ${VERSION[$pkg]}"; done)
$(cd "$(dirname "$IMAGE_TAR")" && sha256sum "$(basename "$IMAGE_TAR")" "$(basename "$TTF_TAR")")"
KEY=$(echo "$KEY_TEXT" | sha256sum | cut -c1-16)
DEPS="$CACHE_ROOT/$KEY"
PREFIX="$DEPS/prefix"

build_deps() {
    local work="$DEPS.work" p
    rm -rf "$work" && mkdir -p "$work/build"
    p="$work/prefix"
    export PKG_CONFIG_LIBDIR="$p/lib/pkgconfig" PKG_CONFIG_PATH=""
    local common=(--host="$HOST" --prefix="$p" --enable-shared --disable-static)
    local env=(CC="$CC" CXX="$CXX" CPPFLAGS="-I$p/include" LDFLAGS="-L$p/lib" CFLAGS="-O2")

    unpack() { # package -> sets SRC to the unpacked tree, with Debian's patches applied
        local dir="$CACHE_ROOT/sources/${1}_${VERSION[$1]#*:}"
        (cd "$work/build" && dpkg-source -q -x "$dir"/*.dsc "$1" >/dev/null)
        SRC="$work/build/$1"
    }

    # zlib: Debian's repack has no win32/ folder, so the library is built from its sources
    # with a minimal version resource of our own for the DLL.
    step "building zlib ${VERSION[zlib]}"
    unpack zlib
    mkdir -p "$p/bin" "$p/lib/pkgconfig" "$p/include"
    (
        cd "$SRC"
        local zver objs=()
        zver=$(sed -n 's/^#define ZLIB_VERSION "\(.*\)"/\1/p' zlib.h)
        for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
            inflate inftrees trees uncompr zutil; do
            "$CC" -O2 -D_LARGEFILE64_SOURCE=1 -c "$f.c" -o "$f.o"
            objs+=("$f.o")
        done
        cat >zlib1.rc <<EOF
1 VERSIONINFO
FILEVERSION ${zver//./,},0
PRODUCTVERSION ${zver//./,},0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904E4"
    BEGIN
      VALUE "FileDescription", "zlib data compression library\\0"
      VALUE "FileVersion", "$zver\\0"
      VALUE "InternalName", "zlib1.dll\\0"
      VALUE "LegalCopyright", "(C) 1995-2022 Jean-loup Gailly & Mark Adler\\0"
      VALUE "OriginalFilename", "zlib1.dll\\0"
      VALUE "ProductName", "zlib\\0"
      VALUE "ProductVersion", "$zver\\0"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0409, 1252
  END
END
EOF
        "$HOST-windres" zlib1.rc -O coff -o zlib1rc.o
        "$CC" -shared -o zlib1.dll "${objs[@]}" zlib1rc.o -Wl,--out-implib,libz.dll.a \
            -Wl,--export-all-symbols
        cp zlib1.dll "$p/bin/"
        cp libz.dll.a "$p/lib/"
        cp zlib.h zconf.h "$p/include/"
        cat >"$p/lib/pkgconfig/zlib.pc" <<EOF
prefix=$p
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: zlib
Description: zlib compression library
Version: $zver
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
EOF
    )

    step "building libpng ${VERSION[libpng1.6]}"
    unpack libpng1.6
    (cd "$SRC" && ./configure "${common[@]}" "${env[@]}" >configure.log &&
        make -j"$JOBS" >make.log && make install >install.log)

    step "building FreeType ${VERSION[freetype]}"
    unpack freetype
    (cd "$SRC" && ./configure "${common[@]}" "${env[@]}" --with-zlib=yes --without-png \
        --without-bzip2 --without-brotli --without-harfbuzz >configure.log &&
        make -j"$JOBS" >make.log && make install >install.log)

    step "building SDL ${VERSION[libsdl1.2]}"
    unpack libsdl1.2
    (cd "$SRC" && ./configure "${common[@]}" "${env[@]}" --disable-stdio-redirect \
        >configure.log && make -j"$JOBS" >make.log && make install >install.log)

    # Every link test in the SDL libraries' configure scripts has a main, which SDL's cflags
    # rename to SDL_main: they are told the answers instead, and only the libraries are built.
    step "building SDL_mixer ${VERSION[sdl-mixer1.2]} (WAV only)"
    unpack sdl-mixer1.2
    (cd "$SRC" && ./configure "${common[@]}" "${env[@]}" --with-sdl-prefix="$p" \
        --disable-sdltest --disable-music-cmd --disable-music-mod --disable-music-mod-shared \
        --disable-music-midi --disable-music-ogg --disable-music-flac --disable-music-mp3 \
        --disable-music-mp3-mad-gpl --disable-smpegtest >configure.log &&
        make -j"$JOBS" build/libSDL_mixer.la >make.log &&
        make install-hdrs install-lib >install.log &&
        if [ -f SDL_mixer.pc ]; then
            install -m644 SDL_mixer.pc "$p/lib/pkgconfig/"
        fi)

    step "building SDL_image from $(basename "$IMAGE_TAR")"
    tar xzf "$IMAGE_TAR" -C "$work/build"
    (cd "$work/build"/SDL_image-1.2-* &&
        ./configure "${common[@]}" "${env[@]}" --with-sdl-prefix="$p" --disable-sdltest \
            ac_cv_lib_png_png_create_read_struct=yes LIBS="-lpng16 -lz" --disable-png-shared \
            --disable-jpg --disable-tif --disable-webp >configure.log &&
        if grep -q "PNG image loading disabled" configure.log; then
            echo "windows.sh: SDL_image's configure disabled PNG loading" >&2
            exit 1
        fi &&
        make -j"$JOBS" libSDL_image.la >make.log &&
        make install-libLTLIBRARIES install-libSDL_imageincludeHEADERS install-pkgconfigDATA \
            >install.log)

    step "building SDL_ttf from $(basename "$TTF_TAR")"
    tar xzf "$TTF_TAR" -C "$work/build"
    (cd "$work/build"/SDL_ttf-1.2-* &&
        ./configure "${common[@]}" "${env[@]}" --with-sdl-prefix="$p" --disable-sdltest \
            --without-x >configure.log &&
        make -j"$JOBS" libSDL_ttf.la >make.log &&
        make install-libLTLIBRARIES install-libSDL_ttfincludeHEADERS install-pkgconfigDATA \
            >install.log)

    # The prefix moves to its final place: rewrite the paths the .pc, .la and -config files hold.
    grep -rlF "$work/prefix" "$p" | while read -r f; do
        case "$f" in
        *.dll | *.a | *.exe) ;;
        *) sed -i "s|$work/prefix|$PREFIX|g" "$f" ;;
        esac
    done
    {
        echo "Libraries built for the Windows version of Brimzo (x86_64-w64-mingw32)"
        echo
        echo "Debian source packages, with Debian's patches:"
        for pkg in zlib libpng1.6 freetype libsdl1.2 sdl-mixer1.2; do
            echo "  $pkg ${VERSION[$pkg]}"
        done
        echo "Upstream sources:"
        echo "  $(basename "$IMAGE_TAR") sha256 $(sha256sum "$IMAGE_TAR" | cut -d' ' -f1)"
        echo "  $(basename "$TTF_TAR") sha256 $(sha256sum "$TTF_TAR" | cut -d' ' -f1)"
        echo "Compiler: $($CXX --version | head -1)"
        echo "Cache key: $KEY (recipe $RECIPE)"
    } >"$work/VERSIONS.txt"
    rm -rf "$DEPS" && mkdir -p "$DEPS"
    mv "$work/prefix" "$PREFIX"
    mv "$work/VERSIONS.txt" "$DEPS/VERSIONS.txt"
    rm -rf "$work"
}

if [ -f "$DEPS/VERSIONS.txt" ]; then
    step "dependencies cached in $DEPS"
else
    step "building the dependencies into $DEPS"
    deps_start=$SECONDS
    build_deps
    step "dependencies built in $((SECONDS - deps_start)) s"
fi
# What the registry listed but did not serve is part of the record of this build.
cp "$DEPS/VERSIONS.txt" "$DEPS/VERSIONS.now"
if [ ${#UNFETCHABLE[@]} -gt 0 ]; then
    {
        echo
        echo "Newer versions listed by the registry whose files could not be fetched (not in this build):"
        for u in "${UNFETCHABLE[@]}"; do echo "  $u"; done
    } >>"$DEPS/VERSIONS.now"
fi
[ "$DEPS_ONLY" = 1 ] && exit 0

# --- 3. The game and its tests -----------------------------------------------------------------
BUILD="$ROOT/build-windows"
mkdir -p "$BUILD"
cp "$DEPS/VERSIONS.now" "$BUILD/LIBRARIES.txt"
step "configuring build-windows/"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
    -DBRIMZO_WINDOWS_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=RelWithDebInfo
step "building"
cmake --build "$BUILD" -j"$JOBS"

# --- 4. The portable zip and the installer -----------------------------------------------------
VERSION=$(sed -n 's/^project(brimzo VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
NAME="brimzo-$VERSION-win64"

# One licence file out of a cached source tarball: licence TARBALL_GLOB MEMBER_GLOB DEST.
licence() {
    local tarball
    tarball=$(ls $1 | head -1)
    tar -xOf "$tarball" --wildcards "$2" >"$3"
    [ -s "$3" ] || {
        echo "windows.sh: no $2 in $tarball" >&2
        exit 1
    }
}

# The zip's folder: the launcher, the game, the DLLs they need and no other, data/ as the .deb
# ships it (no scores, no half-written files, no log), the licences and SDL's source as built.
make_stage() {
    local stage=$1 src=$CACHE_ROOT/sources
    rm -rf "$stage" && mkdir -p "$stage/licences" "$stage/source"
    cp "$BUILD/brimzo.exe" "$BUILD/brimzo-game.exe" "$stage/"
    cp "$BUILD"/*.dll "$stage/"
    (cd "$ROOT" && tar -cf - --exclude='scores.*' --exclude='*.new' --exclude=brimzo.log \
        --exclude=FONT-LICENSE.txt data) | tar -xf - -C "$stage"
    cp "$ROOT/packaging/icons/brimzo.ico" "$stage/"
    cp "$ROOT/packaging/windows/README.txt" "$ROOT/packaging/windows/LISEZMOI.txt" "$stage/"
    cp "$BUILD/LIBRARIES.txt" "$stage/licences/LIBRARIES.txt"
    cp "$ROOT/LICENSE" "$stage/licences/Brimzo.txt"
    cp "$ROOT/data/FONT-LICENSE.txt" "$stage/licences/font-DejaVu.txt"
    licence "$src/libsdl1.2_*/*.orig.tar.gz" '*/COPYING' "$stage/licences/SDL.txt"
    licence "$src/sdl-mixer1.2_*/*.orig.tar.gz" '*/COPYING' "$stage/licences/SDL_mixer.txt"
    licence "$IMAGE_TAR" '*/COPYING' "$stage/licences/SDL_image.txt"
    licence "$TTF_TAR" '*/COPYING' "$stage/licences/SDL_ttf.txt"
    licence "$src/zlib_*/*.orig.tar.*" '*/LICENSE' "$stage/licences/zlib.txt"
    licence "$src/libpng1.6_*/*.orig.tar.gz" '*/LICENSE' "$stage/licences/libpng.txt"
    {
        echo "Portions of this software are copyright (C) 2022 The FreeType Project"
        echo "(www.freetype.org). All rights reserved."
        echo
    } >"$stage/licences/FreeType.txt"
    licence "$src/freetype_*/*dfsg.orig.tar.xz" '*/docs/FTL.TXT' "$stage/licences/FTL.txt"
    cat "$stage/licences/FTL.txt" >>"$stage/licences/FreeType.txt"
    rm "$stage/licences/FTL.txt"
    cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licences/MinGW-w64-winpthreads.txt"
    cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright \
        "$stage/licences/GCC-runtime-libstdc++-libgcc-libssp.txt"
    # SDL 1.2 is under the LGPL 2.1: its source as built, Debian's patches included.
    mkdir -p "$stage/source/SDL-1.2"
    cp "$src"/libsdl1.2_*/*.dsc "$src"/libsdl1.2_*/*.orig.tar.* "$src"/libsdl1.2_*/*.debian.tar.* \
        "$stage/source/SDL-1.2/"
    /usr/bin/python3 "$ROOT/tools/dll_closure.py" "$stage" "$stage/brimzo.exe" \
        "$stage/brimzo-game.exe"
}

step "making $NAME.zip and $NAME-setup.exe"
stage_root="$BUILD/package"
make_stage "$stage_root/$NAME"
rm -f "$BUILD/$NAME.zip"
(cd "$stage_root" && TZ=UTC zip -q -r -X "$BUILD/$NAME.zip" "$NAME")
# The uninstaller removes exactly what was installed, deepest folders last.
(cd "$stage_root/$NAME" && {
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|'
}) >"$stage_root/uninstall_files.nsh"
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$stage_root/$NAME" \
    -DOUTFILE="$BUILD/$NAME-setup.exe" "$ROOT/packaging/windows/installer.nsi"

# --- 5. The suite under Wine, in a prefix of this run's own ------------------------------------
export WINEPREFIX="$BUILD/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
step "making a fresh Wine prefix in $WINEPREFIX"
rm -rf "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1
wineserver -w
# Wine's own services (services.exe, winedevice.exe, ...) are started by the first program of a
# session and keep its standard output and error until the session ends: were that program a
# test, or a test program listing its cases, ctest would wait on it until the session ends. So
# the session is opened here, with its services on /dev/null, and kept open until the suite
# has run.
wineserver -p </dev/null >/dev/null 2>&1
trap 'WINEPREFIX="$BUILD/wine-prefix" wineserver -k 2>/dev/null || true' EXIT
wine wineboot </dev/null >/dev/null 2>&1
step "checking that every test is given its environment"
(cd "$BUILD" && ctest --show-only=json-v1 >"$BUILD/tests.json")
/usr/bin/python3 - "$BUILD/tests.json" <<'PY'
import json, sys
tests = json.load(open(sys.argv[1]))["tests"]
needed = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}
bad = []
for t in tests:
    env = set()
    for p in t.get("properties", []):
        if p["name"] == "ENVIRONMENT":
            env.update(p["value"])
    # The launcher's test sets the drivers itself, case by case.
    if t["name"] != "windows_launcher" and not needed <= env:
        bad.append("%s: %s" % (t["name"], sorted(env)))
print("%d tests, %d without both dummy drivers" % (len(tests), len(bad)))
for b in bad:
    print("  " + b)
sys.exit(1 if bad else 0)
PY
# Each step's time is printed as it ends, and all of them again at the end.
TIMES=()
timed() { # timed NAME COMMAND...: runs the command, records its time and status
    local name=$1 start=$SECONDS rc=0
    shift
    step "$name"
    "$@" || rc=$?
    TIMES+=("$(printf '%-34s %4d s  %s' "$name" $((SECONDS - start)) "$([ $rc = 0 ] && echo passed || echo "FAILED ($rc)")")")
    [ $rc = 0 ] || status=1
}
status=0
suite() {
    (cd "$BUILD" && ctest --output-on-failure -j"$JOBS" -LE linux-only)
    local rc=$?
    wineserver -k 2>/dev/null || true
    return $rc
}
timed "the suite under Wine" suite
# The Windows-only checks, each in Wine prefixes of its own, on an Xvfb of its own.
unset WINEPREFIX
timed "the score file's Windows operations" bash "$ROOT/tools/wine_scores_check.sh"
timed "the real-window whole turn" bash "$ROOT/tests/windows/window_test.sh" "$BUILD" "$ROOT"
timed "the installer" bash "$ROOT/tests/windows/package_test.sh" installer \
    "$BUILD/$NAME-setup.exe" "$ROOT"
timed "the zip" bash "$ROOT/tests/windows/package_test.sh" zip "$BUILD/$NAME.zip" "$ROOT"
step "done"
for t in "${TIMES[@]}"; do echo "   $t"; done
exit "$status"
