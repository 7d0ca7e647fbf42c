#!/usr/bin/env bash
# CPU use of an idle window program waiting in GetMessageW: on the SDL back end under a
# private Xvfb, with and without a blinking caret, and headless without a display. Each
# run is measured over SECONDS (default 5) from /proc/PID/stat; it must stay under 1% of
# one core.
# Usage: bench/idle_cpu.sh BUILD_DIR/bench/winplat_idle [SECONDS]
set -euo pipefail

program=$1
seconds=${2:-5}
ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cpu_ticks() {  # utime + stime of a process, in clock ticks
  # Fields after the parenthesised command name: state is field 3, utime 14, stime 15.
  sed -e 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

failed=0
measure() {  # label, then the program's arguments
  local label=$1
  shift
  mkfifo "$work/out.$label"
  "$program" "$@" >"$work/out.$label" 2>"$work/err.$label" &
  local pid=$!
  local ready=""
  exec 5<"$work/out.$label"
  if ! read -r -t 20 ready <&5; then
    echo "$label: program did not start" >&2
    cat "$work/err.$label" >&2
    kill "$pid" 2>/dev/null || true
    failed=1
    return
  fi
  sleep 1  # start-up work is not idle time
  local before after
  before=$(cpu_ticks "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  kill -TERM "$pid"
  wait "$pid" || true
  exec 5<&-
  local percent
  percent=$(awk -v d=$((after - before)) -v t="$ticks" -v s="$seconds" \
    'BEGIN { printf "%.2f", 100 * d / t / s }')
  local verdict=ok
  if awk -v p="$percent" 'BEGIN { exit !(p >= 1.0) }'; then
    verdict=FAIL
    failed=1
  fi
  echo "$label ($ready): ${percent}% of a core over ${seconds} s, $((after - before)) ticks — $verdict"
}

# Headless: the program falls back to it without a display (real clock).
DISPLAY= WAYLAND_DISPLAY= measure headless

if command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$work/display")"
  measure sdl
  measure sdl_caret --caret
else
  echo "Xvfb not installed: SDL runs skipped"
fi
exit "$failed"
