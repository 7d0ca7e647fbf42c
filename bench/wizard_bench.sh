#!/usr/bin/env bash
# The wizard as a user runs it, on a virtual display: time from process start to the
# first presented frame (the program reports it when KX_LAUNCH_NS is set) and to the
# window being visible to another client (xdotool), peak memory, and CPU while idle.
#   bench/wizard_bench.sh [KESTRIX]   (default: build-release/src/wizard/kestrix)
set -euo pipefail
cd "$(dirname "$0")/.."
kestrix=${1:-build-release/src/wizard/kestrix}
[ -x "$kestrix" ] || { echo "build it first: ./run.sh builds $kestrix" >&2; exit 2; }

display_num=120
while [ -e "/tmp/.X11-unix/X$display_num" ]; do display_num=$((display_num + 1)); done
Xvfb ":$display_num" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display_num"
until xdotool getmouselocation >/dev/null 2>&1; do sleep 0.05; done

# CPU time in nanoseconds (the scheduler's own count; /proc/PID/stat has 10 ms ticks).
cpu_of() { awk '{print $1}' "/proc/$1/schedstat"; }

runs=5
total=0
frames=()
log=$(mktemp)
trap 'kill $xvfb 2>/dev/null || true; rm -f "$log"' EXIT
for i in $(seq $runs); do
  t0=$(date +%s%N)
  KX_LAUNCH_NS=$t0 "$kestrix" >"$log" 2>&1 &
  pid=$!
  # Poll (xdotool's own --sync waits half a second between looks).
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.005; done
  t1=$(date +%s%N)
  ms=$(((t1 - t0) / 1000000))
  total=$((total + ms))
  until grep -q "first frame presented" "$log"; do sleep 0.005; done
  frame=$(sed -n 's/.*first frame presented \([0-9.]*\) ms.*/\1/p' "$log")
  frames+=("$frame")
  echo "run $i: first frame presented ${frame} ms, window seen by xdotool ${ms} ms"
  if [ "$i" -eq "$runs" ]; then
    sleep 1
    c0=$(cpu_of "$pid")
    sleep 10
    c1=$(cpu_of "$pid")
    awk -v d=$((c1 - c0)) 'BEGIN { printf "idle CPU over 10 s: %.2f%% of a core\n", 100 * d / 1e10 }'
    grep VmHWM "/proc/$pid/status" | awk '{ printf "peak RSS: %.1f MB\n", $2 / 1024 }'
  fi
  kill -TERM "$pid"
  wait "$pid" || true
done
printf '%s\n' "${frames[@]}" | sort -n | awk '{ a[NR] = $1 } END { printf "process start to first presented frame, median of %d: %.1f ms\n", NR, a[int((NR + 1) / 2)] }'
echo "process start to window seen by xdotool, mean of $runs: $((total / runs)) ms"
