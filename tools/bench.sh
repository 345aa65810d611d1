#!/usr/bin/env bash
# Builds the benchmarks in build-bench/ and prints one table: every figure measured side by side
# with its floor or reference in the same run, the ratio, its goal and whether it is met.
#   tools/bench.sh            selection, frame work, start-up, idle CPU, memory
#   tools/bench.sh --suite    the same, then the wall time of ./test.sh
# Options: --startup-runs N (default 40), --idle-seconds S (default 10).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
suite=0 startup_runs=40 idle_seconds=10
while [ $# -gt 0 ]; do
  case "$1" in
    --suite) suite=1 ;;
    --startup-runs) startup_runs="$2"; shift ;;
    --idle-seconds) idle_seconds="$2"; shift ;;
    *) echo "usage: tools/bench.sh [--suite] [--startup-runs N] [--idle-seconds S]" >&2; exit 2 ;;
  esac
  shift
done

tools/setup.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIMZO_TESTS=OFF -DBRIMZO_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null
b=$root/build-bench
out=$(mktemp -d /tmp/brimzo-bench-XXXXXX)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$out"
}
trap cleanup EXIT
rows=$out/rows.tsv
: >"$rows"

echo "Selection..." >&2
"$b/paths_bench" --benchmark_filter='BM_selection_(table_litterale|rapide)/' \
  --benchmark_repetitions=7 --benchmark_enable_random_interleaving=true \
  --benchmark_format=json --benchmark_out="$out/paths.json" --benchmark_out_format=json >/dev/null
/usr/bin/python3 - "$out/paths.json" >>"$rows" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
med = {}
for r in runs:
    if r.get("error_occurred"):
        print(f"Selection {r['run_name']}\terror: {r.get('error_message')}\t-\t-\t>= 1000x\tNO")
    elif r.get("aggregate_name") == "median":
        name, size = r["run_name"].split("/")
        med[(name, int(size))] = r["real_time"]  # microseconds
for size in sorted({s for _, s in med}):
    lit, fast = med.get(("BM_selection_table_litterale", size)), med.get(("BM_selection_rapide", size))
    if lit is None or fast is None:
        continue
    ratio = lit / fast
    print(f"Selection, {size} pieces (median of 7)\t{fast:.3f} us\t{lit:.0f} us\t{ratio:.0f}x faster"
          f"\t>= 1000x\t{'yes' if ratio >= 1000 else 'NO'}")
PY

echo "Frame work..." >&2
(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$b/frame_bench") >>"$rows"

echo "Memory..." >&2
bare_kb=$(cd "$root" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy BARE_FRAMES=90 "$b/bare_window" |
  awk '/^VmHWM:/ {print $2}')
(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$b/memory_bench" "$bare_kb") >>"$rows"

# One Xvfb for the real-window figures, on the first free display from :60.
. "$root/tests/support/xvfb.sh"
start_xvfb 60 99 1700x650x24 || true
[ -n "$display" ] || { echo "tools/bench.sh: could not start Xvfb" >&2; exit 1; }

echo "Start-up..." >&2
(DISPLAY=$display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
  "$b/startup_bench" "$b/libflip_shim.so" data "$startup_runs" "$b/brimzo" "$b/bare_window") >>"$rows"

echo "Idle CPU..." >&2
bench/idle_bench.sh "$b/brimzo" "$b/bare_window" "$root/data" "$display" "$idle_seconds" >>"$rows"

if [ "$suite" -eq 1 ]; then
  echo "Test suite..." >&2
  start=$(date +%s.%N)
  ./test.sh >"$out/suite.log" 2>&1 || { tail -n 30 "$out/suite.log" >&2; echo "./test.sh failed" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { t = e - s
    printf "Test suite ./test.sh (wall)\t%.0f s\t-\t-\t< 300 s\t%s\n", t, t < 300 ? "yes" : "NO" }' >>"$rows"
fi

{
  printf 'Figure\tMeasured\tFloor / reference\tRatio\tGoal\tMet\n'
  grep -v '^#' "$rows"
} | column -t -s $'\t'
grep '^#' "$rows" || true
if grep -v '^#' "$rows" | awk -F'\t' '$6 != "yes" && $6 != "info"' | grep -q .; then
  echo "Some goals are not met." >&2
  exit 1
fi
