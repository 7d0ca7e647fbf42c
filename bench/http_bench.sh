#!/usr/bin/env bash
# The getter's performance targets, measured in one run:
#   1. a 200 MB loopback download from nginx in file mode without a progress callback,
#      against `curl -s -o FILE URL`: at most 1.15 x curl's wall time;
#   2. the same with a bound OnProgress (one synchronised call per 1025-byte chunk): at most
#      3 x curl's;
#   3. the user-interface thread's CPU while GetFile waits 5 s on a stalled server: under
#      2 % of a core.
# Usage: bench/http_bench.sh [BUILD_DIR]   (default: build; needs its bench_http target)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench="$build/bench/bench_http"
if [ ! -x "$bench" ]; then
  echo "http_bench: $bench is missing; build it: cmake --build $build --target bench_http" >&2
  exit 2
fi
# shellcheck source=../tests/support/nginx_helpers.sh
. "$root/tests/support/nginx_helpers.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/kx-http-bench.XXXXXX")
cleanup() {
  kx_nginx_stop
  rm -rf "$work"
}
trap cleanup EXIT
unset http_proxy https_proxy all_proxy HTTP_PROXY HTTPS_PROXY ALL_PROXY

mkdir -p "$work/www"
head -c $((200 * 1024 * 1024)) /dev/urandom >"$work/www/big.bin"
kx_nginx_start "$work" "$work/www" ""
url="http://127.0.0.1:$KX_NGINX_PORT/big.bin"
runs=${RUNS:-5}

# curl, warmed up once, then timed.
curl -s -o "$work/curl.bin" "$url"
curl_total=0
for _ in $(seq 1 "$runs"); do
  start=$(date +%s%N)
  curl -s -o "$work/curl.bin" "$url"
  end=$(date +%s%N)
  curl_total=$((curl_total + end - start))
done
cmp -s "$work/www/big.bin" "$work/curl.bin" || { echo "curl's copy differs" >&2; exit 1; }
curl_ms=$(python3 -c "print($curl_total / $runs / 1e6)")

KX_BENCH_URL=$url KX_BENCH_FILE="$work/getter.bin" "$bench" \
  --benchmark_format=json --benchmark_out="$work/bench.json" --benchmark_out_format=json \
  >"$work/bench.log" 2>&1 || { cat "$work/bench.log" >&2; exit 1; }
cmp -s "$work/www/big.bin" "$work/getter.bin" || { echo "the getter's copy differs" >&2; exit 1; }

python3 - "$work/bench.json" "$curl_ms" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
curl_ms = float(sys.argv[2])
runs = {b["name"].split("/iterations")[0]: b for b in data["benchmarks"]}
def ms(name):
    b = runs[name]
    assert b.get("time_unit") == "ms", b
    return float(b["real_time"])
plain = ms("Download/no_progress")
prog = ms("Download/with_progress")
stall = runs["StalledWait"]
cpu = float(stall["ui_cpu_percent"])
calls = float(runs["Download/with_progress"].get("progress_calls", 0))
def verdict(ok):
    return "met" if ok else "MISSED"
print("200 MB loopback download from nginx, file mode")
print(f"  curl -s -o FILE URL        {curl_ms:8.1f} ms")
print(f"  getter, no progress        {plain:8.1f} ms  = {plain / curl_ms:5.2f} x curl  (target <= 1.15: {verdict(plain <= 1.15 * curl_ms)})")
print(f"  getter, bound OnProgress   {prog:8.1f} ms  = {prog / curl_ms:5.2f} x curl  (target <= 3: {verdict(prog <= 3 * curl_ms)}; {calls:.0f} calls)")
print("GetFile waiting on a stalled server")
print(f"  wait {float(stall['wait_s']):.2f} s, UI thread CPU {cpu:.3f} % of a core  (target < 2 %: {verdict(cpu < 2)})")
EOF
