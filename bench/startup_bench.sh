#!/usr/bin/env bash
# Process start to a created TForm1 (headless), warm: the mean of 20 runs after 3 warm-ups.
#   bench/startup_bench.sh BUILD_DIR   (a build with -DKX_BENCH=ON)
set -euo pipefail
probe=${1:-build}/bench/startup_probe
[ -x "$probe" ] || { echo "build the startup_probe target first" >&2; exit 2; }
for _ in 1 2 3; do "$probe"; done
runs=20
t0=$(date +%s%N)
for _ in $(seq $runs); do "$probe"; done
t1=$(date +%s%N)
echo "process start to created TForm1, warm: $(((t1 - t0) / runs / 1000)) us (mean of $runs)"
