#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless, once on each distinct SDL 1.2 runtime
# the system offers, then again under AddressSanitizer and UndefinedBehaviorSanitizer on the
# system's own SDL 1.2.
#   Debian 12: the classic library (the system's own) and the compatibility layer over SDL 2,
#              which libsdl1.2-compat installs beside it in /usr/lib/<multiarch>/sdl12-compat;
#   Debian 13: the compatibility layer only, which is the system's own library there (its
#              sdl12-compat folder holds links to that same file: one runtime, one pass).
# Each pass's runtime is named to the tests by what it is (BRIMZO_EXPECT_SDL=classic or compat,
# from the version it reports), and every game process a test starts must run on it.
# The runtimes that ran are printed at the end and written to build/sdl-runtimes-tested.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
rm -f build/sdl-runtimes-tested

# The candidates: the library the system's loader finds, then the compatibility layer's folder.
multiarch="$(gcc -print-multiarch)"
candidates=("" "/usr/lib/$multiarch/sdl12-compat")
seen=()
ran=()
system_kind=""
for dir in "${candidates[@]}"; do
  if [ -n "$dir" ] && [ ! -e "$dir/libSDL-1.2.so.0" ]; then
    echo "== no SDL 1.2 in $dir"
    continue
  fi
  library_path="$dir${LD_LIBRARY_PATH:+${dir:+:}$LD_LIBRARY_PATH}"
  probe=$(LD_LIBRARY_PATH="$library_path" build/sdl_probe) || { echo "sdl_probe failed under '$dir'"; exit 1; }
  read -r version file <<<"$probe"
  IFS=. read -r major minor patch <<<"$version"
  # sdl12-compat reports 1.2.50 and above; the classic library ends at 1.2.15.
  if [ "$major.$minor" = 1.2 ] && [ "$patch" -ge 50 ]; then kind=compat; else kind=classic; fi
  [ -n "$dir" ] || system_kind=$kind
  if printf '%s\n' "${seen[@]}" | grep -qxF "$file"; then
    echo "== ${dir:-the system library} leads to $file, already tested: no second pass"
    continue
  fi
  seen+=("$file")
  echo "== suite on the $kind SDL $version ($file)${dir:+, LD_LIBRARY_PATH=$library_path}"
  (cd build && LD_LIBRARY_PATH="$library_path" BRIMZO_EXPECT_SDL="$kind" ctest --output-on-failure -j"$(nproc)")
  ran+=("$kind")
done

# The system's own library, under the sanitizers.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBRIMZO_SANITIZE=ON -DBRIMZO_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$(nproc)"
echo "== sanitizer suite on the system's own SDL 1.2 ($system_kind)"
(cd build-sanitize && BRIMZO_EXPECT_SDL="$system_kind" LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
  ctest --output-on-failure -j"$(nproc)")

echo "${ran[*]}" >build/sdl-runtimes-tested
echo "SDL 1.2 runtimes tested: ${ran[*]} (sanitizers: $system_kind)"
