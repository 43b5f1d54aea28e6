# shellcheck shell=bash
# Sourced by the other scripts: a virtual X display of our own for Wine's windows, and the
# path of a Linux file as Windows programs under Wine see it.
display_pid=""

display_answers() {
  for _ in $(seq 100); do
    DISPLAY="$1" xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    kill -0 "$display_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Starts the X server given after FIRST on the first free display from FIRST on, and exports
# DISPLAY.
start_x_server() {
  local first="$1" number
  shift
  for number in $(seq "$first" 199); do
    if [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; then continue; fi
    "$@" ":$number" >/dev/null 2>&1 &
    display_pid=$!
    if display_answers ":$number"; then
      export DISPLAY=":$number"
      echo "display: $1 on :$number, pid $display_pid"
      return 0
    fi
    kill "$display_pid" 2>/dev/null
    wait "$display_pid" 2>/dev/null
    display_pid=""
  done
  echo "display: no free display" >&2
  return 1
}

# Xvfb from QUILLET_DISPLAY_FIRST (81) on.
start_display() {
  start_x_server "${QUILLET_DISPLAY_FIRST:-81}" Xvfb -screen 0 1280x800x24 -nolisten tcp
}

# Two monitors, the second RightOf or LeftOf the first, from QUILLET_XORG_FIRST (140) on. Xvfb
# puts all its screens at 0,0, so this is Xorg with the dummy video driver; it runs as root.
start_dual_display() {
  local build
  build="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
  mkdir -p "$build" || return 1
  sed "s/@SIDE@/$1/" "$build/../tests/e2e/xorg-dual.conf" >"$build/xorg-$1.conf" || return 1
  start_x_server "${QUILLET_XORG_FIRST:-140}" Xorg -noreset -nolisten tcp -config "$build/xorg-$1.conf" \
    -logfile "$build/xorg-$1.log"
}

stop_display() {
  if [ -z "$display_pid" ]; then return 0; fi
  kill "$display_pid" 2>/dev/null
  wait "$display_pid" 2>/dev/null
  display_pid=""
}

# Wine maps the Linux root to drive Z:.
windows_path() {
  printf 'Z:%s' "$1" | tr / "\\\\"
}
