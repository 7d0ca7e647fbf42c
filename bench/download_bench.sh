#!/usr/bin/env bash
# CPU of the whole program while it downloads with the dots moving: the real wizard, in the
# end-to-end world (its own namespaces, nginx on port 80 serving the installer slowly, an
# Xvfb of its own). The program's CPU is read from the scheduler over a 5 s window in the
# middle of a ~10 s download; the run must then end as a good one does (installer started,
# exit code 0).
#   bench/download_bench.sh [KESTRIX [SETTINGS_TOOL [SCREENSHOT]]]
#   (defaults: build/src/wizard/kestrix, build/tests/e2e/e2e_settings, no screenshot)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kestrix=$(readlink -f "${1:-$root/build/src/wizard/kestrix}")
settings_tool=$(readlink -f "${2:-$root/build/tests/e2e/e2e_settings}")
screenshot=${3:+$(readlink -f "$3")}
for f in "$kestrix" "$settings_tool"; do
  [ -x "$f" ] || { echo "download_bench: build $f first (./test.sh builds both)" >&2; exit 2; }
done

export E2E_FILE_BYTES=3000000 E2E_LIMIT_RATE=300k
# shellcheck source=../tests/e2e/e2e_env.sh
. "$root/tests/e2e/e2e_env.sh"
e2e_enter download_bench "$@"
e2e_setup "$settings_tool"

cpu_of() { awk '{print $1}' "/proc/$1/schedstat"; }

set_system_lang en_US.UTF-8
start_wizard bench en_US.UTF-8
click $field_x $field_y
xdotool type --delay 30 "$customer"
click $button_x $button_y
t_click=$(date +%s%N)
sleep 1
[ -n "$screenshot" ] && import -window "$wid" "$screenshot" 2>/dev/null
c0=$(cpu_of "$app_pid")
t0=$(date +%s%N)
sleep 5
c1=$(cpu_of "$app_pid")
t1=$(date +%s%N)
alive || fail "the download ended before the measurement did"
rc=0
timeout 60 tail --pid="$app_pid" -f /dev/null || fail "the program did not end after the download"
t_end=$(date +%s%N)
wait "$app_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after the download"
opened_has "$work/tmp/parvelVV.exe" || fail "installer not started"
cmp -s "$work/tmp/parvelVV.exe" "$work/www$DOWNLOAD_PATH" || fail "the stored installer differs"
awk -v d=$((c1 - c0)) -v w=$((t1 - t0)) -v total=$((t_end - t_click)) -v bytes="$E2E_FILE_BYTES" \
  'BEGIN {
     printf "download: %d bytes in %.1f s (%.0f KB/s)\n", bytes, total / 1e9, bytes / 1024 / (total / 1e9)
     printf "CPU while downloading with the dots moving: %.2f%% of a core (over %.1f s)\n", 100 * d / w, w / 1e9
   }'
[ -n "$screenshot" ] && echo "screenshot during the download: $screenshot"
exit 0
