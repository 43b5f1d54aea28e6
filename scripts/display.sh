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

# Starts Xvfb on the first free display from QUILLET_DISPLAY_FIRST (81) on and exports DISPLAY.
start_display() {
  local number
  for number in $(seq "${QUILLET_DISPLAY_FIRST:-81}" 199); do
    if [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; then continue; fi
    Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    display_pid=$!
    if display_answers ":$number"; then
      export DISPLAY=":$number"
      echo "display: Xvfb on :$number, pid $display_pid"
      return 0
    fi
    kill "$display_pid" 2>/dev/null
    display_pid=""
  done
  echo "display: no free display" >&2
  return 1
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
