#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# then runs each for the given number of seconds (default 60), starting from its committed corpus
# in tests/fuzz/corpus/<target>/. New inputs collect in build-fuzz/corpus/<target>/; a crash, hang
# or sanitizer report stops the run, its input is kept in build-fuzz/artifacts/<target>/ and the
# script fails. Once fixed, that input joins tests/fuzz/corpus/<target>/.
#   tools/fuzz.sh [seconds] [target...]     targets: scores mailles lignes
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(scores mailles lignes)

# clang, its sanitizer runtimes and libFuzzer, which only this script needs. libFuzzer's package
# carries LLVM's version: the one of the clang-N that the archive's clang depends on.
clang_major() { apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -n 1; }
if command -v apt-cache >/dev/null; then
  llvm=$(clang_major)
  if [ -z "$llvm" ]; then # no package lists yet
    if [ "$(id -u)" -eq 0 ]; then apt-get update -qq; else sudo apt-get update -qq; fi
    llvm=$(clang_major)
  fi
  [ -n "$llvm" ] || { echo "fuzz.sh: the archive's clang depends on no clang-N" >&2; exit 1; }
  tools/setup.sh clang libclang-rt-dev "libfuzzer-$llvm-dev"
else
  tools/setup.sh
  command -v clang++ >/dev/null || { echo "fuzz.sh: needs clang++ with libFuzzer" >&2; exit 1; }
fi
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRIMZO_FUZZ=ON -DBRIMZO_TESTS=OFF -DBRIMZO_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# The targets save and sync files at every input: in memory that costs nothing.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
status=0
summary=()
for t in "${targets[@]}"; do
  corpus="$root/build-fuzz/corpus/$t"
  artifacts="$root/build-fuzz/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  log="$root/build-fuzz/fuzz_$t.log"
  echo "== fuzz_$t for ${seconds}s"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build-fuzz/fuzz_$t" "$corpus" "$root/tests/fuzz/corpus/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    tail -n 60 "$log"
    ls -l "$artifacts"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  summary+=("fuzz_$t: $result, ${runs:-?} inputs run in ${seconds}s, corpus $(ls "$corpus" | wc -l) new + $(ls "$root/tests/fuzz/corpus/$t" | wc -l) committed")
done
printf '%s\n' "${summary[@]}"
exit $status
