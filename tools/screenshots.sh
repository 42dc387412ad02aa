#!/usr/bin/env bash
# Takes the README's screenshots: starts Velto on a virtual display of its
# own with three named counters in a fresh registry, starts one through the
# control sheet (tools/velto-drive.cpp sends the messages an operator's
# clicks would) and saves docs/images/velto-screen.png (the whole screen,
# 1280 wide) and docs/images/control-sheet.png (the control sheet). Ends
# everything it started, by process id.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

tools/install-deps.sh || exit 1
source tools/xdisplay.sh

build=${VELTO_BUILD_DIR:-$root/build}
prefix=${VELTO_SHOTS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velto/wine-shots}
out=$root/docs/images

cmake -S . -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null || exit 1
cmake --build "$build/win" --target Velto velto_drive || exit 1
tools/wine-prefix.sh "$prefix" || exit 1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

pids=()
cleanup() {
  local pid
  # Wine's own helper processes of this prefix go with its server.
  wineserver -k >/dev/null 2>&1
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
}
trap cleanup EXIT

velto_start_xvfb 1920x1080x24
xvfb_status=$?
[ -n "${VELTO_XVFB_PID:-}" ] && pids+=("$VELTO_XVFB_PID")
[ "$xvfb_status" -eq 0 ] || exit 1
export DISPLAY=":$VELTO_XVFB_DISPLAY"
wineserver -f -p >/dev/null 2>&1 &
pids+=($!)
wine cmd /c exit >/dev/null 2>&1 </dev/null

# Three named counters, as an operator would have set them up.
seed=$(mktemp --suffix=.reg)
cat >"$seed" <<'REG'
REGEDIT4

[-HKEY_CURRENT_USER\Software\Halvorn Industries\Velto]

[HKEY_CURRENT_USER\Software\Halvorn Industries\Velto\Settings]
"Counters"="1,2,3"

[HKEY_CURRENT_USER\Software\Halvorn Industries\Velto\Counter1]
"Name"="Keynote"
"TotalTime"=dword:00000708
"OrangeTime"=dword:0000012c
"RedTime"=dword:0000003c
"Ticker"="Next: panel discussion in Hall B at 11:30"
"TickerSize"=dword:00000001

[HKEY_CURRENT_USER\Software\Halvorn Industries\Velto\Counter2]
"Name"="Panel talk"
"TotalTime"=dword:00000384

[HKEY_CURRENT_USER\Software\Halvorn Industries\Velto\Counter3]
"Name"="Coffee break"
"TotalTime"=dword:00000258
REG
wine regedit /S "$(winepath -w "$seed")" >/dev/null 2>&1
rm -f "$seed"

wine "$build/win/Velto.exe" >/dev/null 2>&1 &
pids+=($!)
drive() { wine "$build/win/velto_drive.exe" "$@" 2>/dev/null | tr -d '\r'; }
drive wait:3000 start:1 wait:3500 >/dev/null || { echo "could not drive Velto" >&2; exit 1; }
read -r left top right bottom page_right < <(drive rect)

mkdir -p "$out"
shot=$(mktemp --suffix=.png)
import -display "$DISPLAY" -window root "$shot"
convert "$shot" -resize 1280x "$out/velto-screen.png"
convert "$shot" -crop "$((page_right + 12 - left))x$((bottom - top))+$left+$top" +repage "$out/control-sheet.png"
rm -f "$shot"
echo "screenshots: $out/velto-screen.png $out/control-sheet.png"
