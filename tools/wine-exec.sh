#!/bin/sh
# Runs a Windows program under Wine with the project's settings: a private
# prefix, no debug chatter, no Mono or Gecko installers. The test and run
# scripts prepare the prefix and the display.
: "${WINEPREFIX:=${VELTO_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velto/wine}}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
