# Helpers for the scripts that need an X display (sourced, not run).

# Starts Xvfb on a display number it picks itself (so that runs side by side
# never share one) with the given screen size, e.g. 1920x1040x24. Sets
# VELTO_XVFB_PID and VELTO_XVFB_DISPLAY.
velto_start_xvfb() {
  local size=$1 numberfile
  numberfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$numberfile" >/dev/null 2>&1 &
  VELTO_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$numberfile" ]; then
      VELTO_XVFB_DISPLAY=$(tr -dc '0-9' <"$numberfile")
      rm -f "$numberfile"
      velto_wait_display "$VELTO_XVFB_DISPLAY"
      return
    fi
    sleep 0.1
  done
  rm -f "$numberfile"
  echo "Xvfb did not start" >&2
  return 1
}

# Waits until the X server on display :$1 answers (at most about 10 s).
velto_wait_display() {
  local i
  for i in $(seq 1 100); do
    if xdpyinfo -display ":$1" >/dev/null 2>&1; then
      return 0
    fi
    sleep 0.1
  done
  echo "X server :$1 did not answer" >&2
  return 1
}
