#!/bin/bash
# The installer and the portable zip under Wine on Xvfb (tests/windows/package_test.py):
#   tests/windows/package_test.sh installer|zip PACKAGE SOURCE_DIR
# Each case makes its own fresh Wine prefixes; a failed run keeps its folder, with screenshots.
set -euo pipefail
mode=$1
package=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
source_dir=$(cd "$3" && pwd)
for tool in Xvfb xdotool wine winepath; do
    command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 1; }
done
work=$(mktemp -d "/tmp/brimzo-w$mode-XXXXXX")
cleanup() {
    for p in "$work"/prefix-*; do
        [ -d "$p" ] && WINEPREFIX="$p" wineserver -k 2>/dev/null || true
    done
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
. "$source_dir/tests/support/xvfb.sh"
start_xvfb 140 180 1024x768x24 || true
[ -n "$display" ] || { echo "could not start Xvfb"; exit 1; }
status=0
DISPLAY="$display" /usr/bin/python3 "$source_dir/tests/windows/package_test.py" "$mode" \
    "$package" "$source_dir" "$work" || status=$?
cleanup
# BRIMZO_SHOTS_DIR keeps the screenshots of a run that passed, to be looked at.
if [ -n "${BRIMZO_SHOTS_DIR:-}" ]; then
    mkdir -p "$BRIMZO_SHOTS_DIR" && cp "$work"/shots/*.png "$BRIMZO_SHOTS_DIR/" 2>/dev/null || true
fi
if [ "$status" -eq 0 ]; then
    rm -rf "$work"
else
    echo "kept: $work"
fi
exit "$status"
