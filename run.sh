#!/usr/bin/env bash
# Builds a Release build of Kestrix and starts the wizard.
# With a display it opens the window there. Without one it starts the wizard on a virtual
# display (Xvfb), writes a screenshot after the first paint, prints where, and keeps
# running until interrupted (Ctrl+C).
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DKX_TESTS=OFF -DKX_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target kestrix
program=build-release/src/wizard/kestrix

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$program"
fi

echo "run.sh: no display found; starting the wizard on a virtual display (Xvfb)."
# Xvfb picks a free display number itself and writes it to descriptor 3.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
until [ -s "$display_file" ]; do
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "run.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
export DISPLAY=":$(head -n1 "$display_file")"

"$program" &
app_pid=$!
shot="$PWD/build-release/kestrix-screenshot.png"
if wid=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app_pid" 2>/dev/null | head -n 1) &&
  [ -n "$wid" ]; then
  sleep 1  # let the first frame be presented
  import -window "$wid" "$shot"
  echo "run.sh: the wizard runs on display $DISPLAY; screenshot: $shot"
else
  echo "run.sh: the wizard did not open a window" >&2
fi
echo "run.sh: press Ctrl+C to stop."
wait "$app_pid"
