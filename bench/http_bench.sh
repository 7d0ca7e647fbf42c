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


# The machine's load changes while we measure, so curl and the getter take turns: each
# round times curl, then one getter download, for each of the two getter variants. The
# figures are the medians over the rounds.
rounds=${ROUNDS:-5}
curl_ms() {
  local start end
  start=$(date +%s%N)
  curl -s -o "$work/curl.bin" "$url"
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}
getter() {  # FILTER OUT.json
  KX_BENCH_ITERATIONS=1 KX_BENCH_URL=$url KX_BENCH_FILE="$work/getter.bin" "$bench" \
    --benchmark_filter="$1" --benchmark_out="$2" --benchmark_out_format=json \
    >"$work/bench.log" 2>&1 || { cat "$work/bench.log" >&2; exit 1; }
}

curl -s -o "$work/curl.bin" "$url"  # warm-up: the file is in the page cache from now on
cmp -s "$work/www/big.bin" "$work/curl.bin" || { echo "curl's copy differs" >&2; exit 1; }
: >"$work/rounds.txt"
for r in $(seq 1 "$rounds"); do
  c1=$(curl_ms)
  getter '^Download/no_progress/' "$work/plain$r.json"
  c2=$(curl_ms)
  getter '^Download/with_progress/' "$work/prog$r.json"
  echo "$c1 $work/plain$r.json $c2 $work/prog$r.json" >>"$work/rounds.txt"
done
cmp -s "$work/www/big.bin" "$work/getter.bin" || { echo "the getter's copy differs" >&2; exit 1; }
getter '^StalledWait' "$work/stall.json"

python3 - "$work/rounds.txt" "$work/stall.json" <<'EOF2'
import json, statistics, sys
def real_ms(path):
    b = json.load(open(path))["benchmarks"][0]
    assert b.get("time_unit") == "ms", b
    return float(b["real_time"]), b
rows = []
for line in open(sys.argv[1]):
    c1, p1, c2, p2 = line.split()
    plain, _ = real_ms(p1)
    prog, pb = real_ms(p2)
    rows.append((int(c1) / 1000, plain, int(c2) / 1000, prog, float(pb.get("progress_calls", 0))))
med = statistics.median
curl1 = med(r[0] for r in rows); plain = med(r[1] for r in rows)
curl2 = med(r[2] for r in rows); prog = med(r[3] for r in rows)
r_plain = med(r[1] / r[0] for r in rows); r_prog = med(r[3] / r[2] for r in rows)
_, stall = real_ms(sys.argv[2])
cpu = float(stall["ui_cpu_percent"])
def verdict(ok):
    return "met" if ok else "MISSED"
print(f"200 MB loopback download from nginx, file mode; medians of {len(rows)} interleaved rounds")
print(f"  curl -s -o FILE URL        {curl1:8.1f} ms")
print(f"  getter, no progress        {plain:8.1f} ms  ratio {r_plain:5.2f} x curl  (target <= 1.15: {verdict(r_plain <= 1.15)})")
print(f"  curl -s -o FILE URL        {curl2:8.1f} ms")
print(f"  getter, bound OnProgress   {prog:8.1f} ms  ratio {r_prog:5.2f} x curl  (target <= 3: {verdict(r_prog <= 3)}; {rows[0][4]:.0f} calls)")
print("  per round (curl, getter, curl, getter+progress) ms:")
for r in rows:
    print(f"    {r[0]:8.1f} {r[1]:8.1f} {r[2]:8.1f} {r[3]:8.1f}")
print("GetFile waiting on a stalled server")
print(f"  wait {float(stall['wait_s']):.2f} s, UI thread CPU {cpu:.3f} % of a core  (target < 2 %: {verdict(cpu < 2)})")
EOF2
