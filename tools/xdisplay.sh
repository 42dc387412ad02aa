# Helpers for the scripts that need an X display (sourced, not run).

# Prints the number of a display that nothing uses, from 90 upwards.
velto_free_display() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return 0
    fi
  done
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
  echo "X server :$1 did not start" >&2
  return 1
}
