#!/usr/bin/env bash
# Builds Kestrix and runs every test with CTest. Exits non-zero on any failure.
#   ./test.sh              the normal build, in build/
#   BUILD_DIR=... CMAKE_ARGS=... CTEST_ARGS=... BUILD_TARGETS=... ./test.sh
#                          another build (the sanitizer builds of CI)
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps

build_dir=${BUILD_DIR:-build}
jobs=${JOBS:-$(nproc)}
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} \
  -DKX_BENCH=${KX_BENCH:-OFF} ${CMAKE_ARGS:-} >/dev/null
if [ -n "${BUILD_TARGETS:-}" ]; then
  # shellcheck disable=SC2086
  cmake --build "$build_dir" -j "$jobs" --target ${BUILD_TARGETS}
else
  cmake --build "$build_dir" -j "$jobs"
fi
cd "$build_dir"
# shellcheck disable=SC2086
ctest --output-on-failure -j "$jobs" --timeout 300 ${CTEST_ARGS:-}
