#!/usr/bin/env bash
# Prints the display's drawing figures: the font refit (linear search against
# the fast one) and the cost of one ticker-strip frame. Runs the benchmark
# under Wine on a virtual display of its own, large enough for a 3840 x 2160
# client. Usage: tools/bench.sh (after a build by tools/test.sh).
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/xdisplay.sh
build=${VELTO_BUILD_DIR:-$PWD/build}
prefix=${VELTO_TEST_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velto/wine-test}
cmake --build "$build/win" --target velto_display_bench >/dev/null || exit 1
tools/wine-prefix.sh "$prefix" || exit 1
velto_start_xvfb 3900x2250x24 || exit 1
xvfb=$VELTO_XVFB_PID
export DISPLAY=":$VELTO_XVFB_DISPLAY" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
out=$(mktemp)
wine "$build/win/velto_display_bench.exe" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
wineserver -k
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $rc
