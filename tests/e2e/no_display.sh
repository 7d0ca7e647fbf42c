#!/usr/bin/env bash
# The wizard without a display it can show its window on ends at once with exit code 1 and
# says why, instead of running where nobody sees it; so it does when its display goes away
# while it runs.
#   no_display.sh KESTRIX
set -uo pipefail
program=$1
fail=0

expect_refusal() {  # description, expected message, command...
  local what=$1 message=$2
  shift 2
  local out rc
  out=$(timeout 20 "$@" 2>&1)
  rc=$?
  if [ "$rc" -ne 1 ]; then
    echo "FAIL ($what): exit code $rc, expected 1; output: $out"
    fail=1
  elif [[ "$out" != *"$message"* ]]; then
    echo "FAIL ($what): output lacks \"$message\": $out"
    fail=1
  else
    echo "ok ($what): $out"
  fi
}

expect_refusal "no DISPLAY" "DISPLAY is not set" \
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$program"
# A display name whose socket does not exist: nothing listens there.
expect_refusal "unreachable display" 'cannot open the display ":64999"' \
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:64999 XDG_RUNTIME_DIR=/nonexistent \
  "$program"
# The display goes away under the running wizard.
if command -v Xvfb >/dev/null; then
  work=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=":$(head -n1 "$work/display")" \
    KX_LAUNCH_NS=0 "$program" 2>"$work/log" &
  app=$!
  for _ in $(seq 200); do grep -q "first frame" "$work/log" && break; sleep 0.05; done
  kill "$xvfb"
  wait "$xvfb"
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app" 2>/dev/null; then
    echo "FAIL (display lost): still running 10 s after its display went away"
    kill -9 "$app"
    fail=1
  else
    rc=0
    wait "$app" || rc=$?
    if [ "$rc" -ne 1 ] || ! grep -q "connection to the display was lost" "$work/log"; then
      echo "FAIL (display lost): exit code $rc; output: $(cat "$work/log")"
      fail=1
    else
      echo "ok (display lost): $(grep "display was lost" "$work/log")"
    fi
  fi
  rm -rf "$work"
fi
exit $fail
