#!/usr/bin/env bash
# Creates and configures a Wine prefix for Velto if it is not ready yet.
# Usage: tools/wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -f "$prefix/.velto-ready" ]; then
  exit 0
fi

mkdir -p "$prefix"
# No display is needed to create the prefix.
DISPLAY= wineboot -i >/dev/null 2>&1 || true
wineserver -w

# Tahoma, MS Shell Dlg and Marlett from fonts-wine, which Debian's Wine does
# not pick up by itself: without them dialogs use the wrong font and the
# caption buttons show letters.
fonts_dir="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts_dir"
for font in /usr/share/wine/fonts/*.ttf; do
  [ -f "$font" ] && cp -f "$font" "$fonts_dir/"
done

settings=$(mktemp --suffix=.reg)
cat > "$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"
"Managed"="N"
"UseXRandR"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
REG
DISPLAY= wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
wineserver -w
rm -f "$settings"
touch "$prefix/.velto-ready"
