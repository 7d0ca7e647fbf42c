#!/usr/bin/env bash
# The wizard as a user runs it, on a virtual display: time from process start to the
# window on screen, peak memory, and CPU while idle.
#   bench/wizard_bench.sh [KESTRIX]   (default: build-release/src/wizard/kestrix)
set -euo pipefail
cd "$(dirname "$0")/.."
kestrix=${1:-build-release/src/wizard/kestrix}
[ -x "$kestrix" ] || { echo "build it first: ./run.sh builds $kestrix" >&2; exit 2; }

display_num=120
while [ -e "/tmp/.X11-unix/X$display_num" ]; do display_num=$((display_num + 1)); done
Xvfb ":$display_num" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$display_num"
until xdotool getmouselocation >/dev/null 2>&1; do sleep 0.05; done

ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }

runs=5
total=0
for i in $(seq $runs); do
  t0=$(date +%s%N)
  "$kestrix" >/dev/null 2>&1 &
  pid=$!
  # Poll (xdotool's own --sync waits half a second between looks).
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.005; done
  t1=$(date +%s%N)
  ms=$(((t1 - t0) / 1000000))
  total=$((total + ms))
  echo "start to window shown, run $i: ${ms} ms"
  if [ "$i" -eq "$runs" ]; then
    sleep 1
    c0=$(cpu_of "$pid")
    sleep 5
    c1=$(cpu_of "$pid")
    awk -v d=$((c1 - c0)) -v t="$ticks" 'BEGIN { printf "idle CPU over 5 s: %.2f%% of a core\n", 100 * d / t / 5 }'
    grep VmHWM "/proc/$pid/status" | awk '{ printf "peak RSS: %.1f MB\n", $2 / 1024 }'
  fi
  kill -TERM "$pid"
  wait "$pid" || true
done
echo "start to window shown, mean of $runs: $((total / runs)) ms"
