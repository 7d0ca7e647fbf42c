#!/usr/bin/env bash
# Builds a Release build of Kestrix and starts the wizard.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DKX_TESTS=OFF -DKX_BENCH=OFF >/dev/null
cmake --build build-release -j "$(nproc)" --target kestrix

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set)." >&2
  echo "run.sh: fallback: a virtual display with Xvfb:  xvfb-run -s '-screen 0 1024x768x24' build-release/kestrix" >&2
  exit 1
fi
exec build-release/kestrix
