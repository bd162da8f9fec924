#!/usr/bin/env bash
# Shared helpers for the screenshot scripts: a private Xvfb display, the program
# started on it, waiting for windows, clicks and typing, screenshots.
#   source tools/screenshots/lib.sh
#   ss_start_xvfb; ss_start_program "$bin"; ss_wait_window "ことつぎ"; ss_shot main
# Everything started here is stopped again when the sourcing script exits.

ss_repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
ss_out="${SS_OUT:-$ss_repo/out/screenshots}"
ss_xvfb_pid=""
ss_program_pid=""
ss_workdir=""

ss_die() { echo "screenshots: $*" >&2; exit 1; }

for tool in Xvfb xdotool xwininfo xdpyinfo import; do
  command -v "$tool" >/dev/null || ss_die "$tool is missing (run scripts/setup.sh)"
done

# The program as built in the given (or the default) build folder.
ss_program() {
  local build="${1:-${KOTOTSUGI_BUILD:-$ss_repo/build}}"
  local bin="$build/src/app/kototsugi"
  [ -x "$bin" ] || ss_die "no program at $bin (build it first)"
  # Absolute, since the program is started from its own data folder.
  echo "$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")"
}

ss_cleanup() {
  if [ -n "$ss_program_pid" ]; then kill "$ss_program_pid" 2>/dev/null; wait "$ss_program_pid" 2>/dev/null || true; fi
  if [ -n "$ss_xvfb_pid" ]; then kill "$ss_xvfb_pid" 2>/dev/null; wait "$ss_xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$ss_workdir" ]; then rm -rf "$ss_workdir"; fi
  ss_program_pid=""; ss_xvfb_pid=""; ss_workdir=""
}
trap ss_cleanup EXIT

# Starts Xvfb on the first free display with a 1024x768x24 screen and exports DISPLAY.
ss_start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  ss_xvfb_pid=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 200); do
    xdpyinfo >/dev/null 2>&1 && return 0
    kill -0 "$ss_xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  ss_die "Xvfb did not start on :$n"
}

# Starts a program in a fresh, empty data folder (its current directory).
# Set SS_WORKDIR to a folder of your own to start it there instead.
ss_start_program() {
  if [ -n "${SS_WORKDIR:-}" ]; then
    (cd "$SS_WORKDIR" && exec "$@") >/dev/null 2>&1 &
  else
    ss_workdir="$(mktemp -d)"
    (cd "$ss_workdir" && exec "$@") >/dev/null 2>&1 &
  fi
  ss_program_pid=$!
}

ss_stop_program() {
  if [ -n "$ss_program_pid" ]; then kill "$ss_program_pid" 2>/dev/null; wait "$ss_program_pid" 2>/dev/null || true; fi
  ss_program_pid=""
}

# Waits until a visible window with exactly this title exists; prints its id.
ss_wait_window() {
  local title="$1" timeout="${2:-10}" id i
  for i in $(seq 1 $((timeout * 50))); do
    id="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.02
  done
  ss_die "no window \"$title\" after ${timeout}s"
}

# Waits until no visible window with this title is left.
ss_wait_gone() {
  local title="$1" timeout="${2:-10}" i
  for i in $(seq 1 $((timeout * 50))); do
    xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
    sleep 0.02
  done
  ss_die "window \"$title\" still there after ${timeout}s"
}

# Left, top, width and height of a window on the screen.
ss_geometry() {
  local info
  info="$(xwininfo -id "$1")"
  echo "$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")" \
       "$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")" \
       "$(awk '/Width:/ {print $2}' <<<"$info")" \
       "$(awk '/Height:/ {print $2}' <<<"$info")"
}

# Clicks at screen coordinates, or at client coordinates of a window:
#   ss_click X Y      ss_click_in WINDOW_ID X Y
ss_click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.2; }
ss_click_in() {
  local left top w h
  read -r left top w h < <(ss_geometry "$1")
  ss_click $((left + $2)) $((top + $3))
}

# Types text (Japanese too) into the focused control; presses keys by name.
ss_type() { xdotool type --delay 15 -- "$1"; sleep 0.2; }
ss_key() { xdotool key -- "$@"; sleep 0.2; }

# Saves the whole screen as out/screenshots/NAME.png; with a window id, also
# NAME-window.png cut to that window with a small margin.
ss_shot() {
  local name="$1" id="${2:-}"
  mkdir -p "$ss_out"
  sleep 0.3
  import -window root "$ss_out/$name.png"
  if [ -n "$id" ]; then
    local left top w h
    read -r left top w h < <(ss_geometry "$id")
    convert "$ss_out/$name.png" -crop "$((w + 16))x$((h + 16))+$((left - 8))+$((top - 8))" +repage \
      "$ss_out/$name-window.png"
  fi
  echo "$ss_out/$name.png"
}
