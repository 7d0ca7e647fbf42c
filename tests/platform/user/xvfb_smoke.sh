#!/usr/bin/env bash
# Smoke test of the SDL back end on a real X display: starts Xvfb on a free display
# number, runs the window program, checks pixels of an X screenshot of the screen, closes
# the window through WM_CLOSE (posted from another thread of the program) and stops Xvfb.
# Usage: xvfb_smoke.sh PROGRAM
set -euo pipefail

program=$1
for tool in Xvfb import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "xvfb_smoke: $tool not installed" >&2
    exit 1
  fi
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "xvfb_smoke: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY

mkfifo "$work/out"
"$program" >"$work/out" 2>"$work/app.log" &
app_pid=$!
exec 4<"$work/out"
ready=""
if ! read -r -t 20 ready <&4; then
  echo "xvfb_smoke: the program did not get ready" >&2
  cat "$work/app.log" >&2
  exit 1
fi
read -r word left top <<<"$ready"
[ "$word" = READY ] || { echo "xvfb_smoke: unexpected output: $ready" >&2; exit 1; }

pixel() {  # x y (client coordinates) -> #RRGGBB of the real screen
  convert "$work/shot.png" -crop "1x1+$((left + $1))+$((top + $2))" -depth 8 txt:- |
    tail -n1 | grep -o '#[0-9A-Fa-f]\{6\}' | head -n1 | tr a-f A-F
}
ok=""
for _ in $(seq 1 40); do
  import -window root "$work/shot.png" 2>/dev/null || true
  if [ -s "$work/shot.png" ] && [ "$(pixel 100 80)" = "#0000FF" ] &&
     [ "$(pixel 10 10)" = "#FFFFFF" ] && [ "$(pixel 350 450)" = "#FF0000" ] &&
     [ "$(pixel 444 591)" = "#FFFFFF" ]; then
    ok=1
    break
  fi
  sleep 0.25
done
if [ -z "$ok" ]; then
  echo "xvfb_smoke: screen pixels wrong at client ($left, $top):" \
       "$(pixel 100 80) $(pixel 10 10) $(pixel 350 450)" >&2
  [ -n "${KX_TEST_ARTIFACTS:-}" ] && cp "$work/shot.png" "$KX_TEST_ARTIFACTS/xvfb_smoke.png"
  exit 1
fi

kill -USR1 "$app_pid"
closed=""
read -r -t 20 closed <&4 || true
status=0
wait "$app_pid" || status=$?
app_pid=""
if [ "$closed" != CLOSED ] || [ "$status" -ne 0 ]; then
  echo "xvfb_smoke: window did not close (status $status, '$closed')" >&2
  cat "$work/app.log" >&2
  exit 1
fi
echo "xvfb_smoke: ok on $DISPLAY, client at ($left, $top)"
