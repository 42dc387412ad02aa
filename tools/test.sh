#!/usr/bin/env bash
# Builds Velto and runs every test: the portable code natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, then everything under Wine
# on a virtual display of its own. Installs missing packages first. Ends
# every process it started, by process id.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

tools/install-deps.sh || exit 1
source tools/xdisplay.sh

build=${VELTO_BUILD_DIR:-$root/build}
prefix=${VELTO_TEST_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velto/wine-test}
jobs=$(nproc)

echo "== Building (native, sanitizers)"
cmake -S . -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$build/native" -j "$jobs" || exit 1

echo "== Building (fuzz targets, clang libFuzzer)"
cmake -S . -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTO_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build "$build/fuzz" -j "$jobs" || exit 1

echo "== Building (Windows, MinGW-w64)"
cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build/win" -j "$jobs" || exit 1

echo "== Preparing the Wine prefix $prefix"
tools/wine-prefix.sh "$prefix" || exit 1

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    wait "$pid" 2>/dev/null
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

velto_start_xvfb 1920x1040x24
xvfb_status=$?
[ -n "${VELTO_XVFB_PID:-}" ] && pids+=("$VELTO_XVFB_PID")
[ "$xvfb_status" -eq 0 ] || exit 1
display=$VELTO_XVFB_DISPLAY

export DISPLAY=":$display" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export VELTO_TEST_DISPLAY_SIZE=1920x1040
# One wineserver for the whole run, so that each test process starts quickly.
wineserver -f -p >/dev/null 2>&1 &
pids+=($!)
# Wine's desktop and service processes start with the first window program
# and end with the last one. One program that lives for the whole run keeps
# them up, away from the test runner's output pipes; otherwise every test
# process would start them anew.
start_keepalive() {
  wine "$build/win/velto_keepalive.exe" >/dev/null 2>&1 </dev/null &
  pids+=($!)
  sleep 1
}
start_keepalive

passed=0
failed=0
status=0
run_ctest() {
  local name=$1 dir=$2
  shift 2
  echo "== Tests: $name"
  local log
  log=$(mktemp)
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local summary
  summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1)
  if [[ $summary =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
  rm -f "$log"
  [ "$rc" -eq 0 ] || status=1
}

run_ctest "native" "$build/native" -j "$jobs"
run_ctest "fuzzing (bounded)" "$build/fuzz" -j "$jobs"

# Static analysis of the product sources: one entry per analyser.
for analyser in clang-tidy-native clang-tidy-windows; do
  echo "== Static analysis: $analyser"
  if tools/analyze.sh "$analyser" "$build"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    status=1
  fi
done

run_ctest "Windows, under Wine" "$build/win"

# High DPI: the layout and keyboard tests once more at 144 DPI (150 %), in a
# prefix of their own (Wine reads "LogPixels" under HKCU\Control Panel\Desktop
# when its desktop starts; HKCC\Software\Fonts is only the fallback).
echo "== 144 DPI"
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
dpi_prefix="$prefix-144"
tools/wine-prefix.sh "$dpi_prefix" || exit 1
export WINEPREFIX="$dpi_prefix" VELTO_TEST_DPI=144
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
wineserver -f -p >/dev/null 2>&1 &
pids+=($!)
start_keepalive
run_ctest "Windows, 144 DPI" "$build/win" -R 'wine\.(HighDpi|HighDpiManifest|KeyboardTest)\.'
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
export WINEPREFIX="$prefix"
unset VELTO_TEST_DPI

# Second phase: two monitors side by side (Xephyr with two screens and
# Xinerama, inside an Xvfb big enough to hold it). Wine reads the monitor
# layout when its desktop process starts, so this phase needs a wineserver
# (and desktop) of its own: the first one is ended before it starts.
echo "== Two monitors"
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
velto_start_xvfb 2400x900x24
outer_status=$?
[ -n "${VELTO_XVFB_PID:-}" ] && pids+=("$VELTO_XVFB_PID")
if [ "$outer_status" -eq 0 ]; then
  numberfile=$(mktemp)
  DISPLAY=":$VELTO_XVFB_DISPLAY" Xephyr -displayfd 3 -screen 1280x800x24 -origin 1280,0 -screen 1024x768x24 \
    +xinerama -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do
    [ -s "$numberfile" ] && break
    sleep 0.1
  done
  two=$(tr -dc '0-9' <"$numberfile")
  rm -f "$numberfile"
  if [ -n "$two" ] && velto_wait_display "$two"; then
    export DISPLAY=":$two" VELTO_TEST_SECOND_MONITOR=1280,0,2304,768
    wineserver -f -p >/dev/null 2>&1 &
    pids+=($!)
    start_keepalive
    run_ctest "Windows, two monitors" "$build/win" -R 'TwoMonitors\.'
    wineserver -k >/dev/null 2>&1
  else
    echo "Xephyr did not start" >&2
    status=1
  fi
else
  status=1
fi

echo "== Finished in $(( $(date +%s) - started )) s"
echo "tests: $passed passed, $failed failed"
exit $status
