#!/usr/bin/env bash
# Builds Velto and starts it under Wine. On $DISPLAY when there is one;
# otherwise on a virtual display of its own, where it takes a screenshot
# after a few seconds, prints where it saved it, and ends what it started.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

tools/install-deps.sh || exit 1
source tools/xdisplay.sh

build=${VELTO_BUILD_DIR:-$root/build}
prefix=${VELTO_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velto/wine}

cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build/win" --target Velto || exit 1
tools/wine-prefix.sh "$prefix" || exit 1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$build/win/Velto.exe"
fi

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap cleanup EXIT

velto_start_xvfb 1920x1080x24
xvfb_status=$?
[ -n "${VELTO_XVFB_PID:-}" ] && pids+=("$VELTO_XVFB_PID")
[ "$xvfb_status" -eq 0 ] || exit 1
display=$VELTO_XVFB_DISPLAY
export DISPLAY=":$display"
wineserver -f -p >/dev/null 2>&1 &
pids+=($!)

wine "$build/win/Velto.exe" >/dev/null 2>&1 &
pids+=($!)
sleep "${VELTO_SCREENSHOT_DELAY:-8}"
mkdir -p "$build/screenshots"
shot="$build/screenshots/velto-$(date +%Y%m%d-%H%M%S).png"
import -display ":$display" -window root "$shot"
echo "Velto ran on a virtual display; screenshot: $shot"
