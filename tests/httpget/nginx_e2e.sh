#!/usr/bin/env bash
# End to end: the httpget tool against a real nginx on loopback that guards the installer
# with basic authentication, as the vendor's download server does.
#   nginx_e2e.sh HTTPGET
# The right customer number gives the installer and a true outcome. A wrong one gets the
# server's refusal page: with its length (nginx's own page) that is a small file, which the
# wizard counts as a failure; without a length it is a false outcome outright.
set -euo pipefail

httpget=${1:?usage: nginx_e2e.sh HTTPGET}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/nginx_helpers.sh
. "$here/../support/nginx_helpers.sh"

htpasswd_bin=${HTPASSWD:-htpasswd}
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/lsan.supp"
work=$(mktemp -d "${TMPDIR:-/tmp}/kx-nginx-e2e.XXXXXX")
cleanup() {
  kx_nginx_stop
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/www/parvel" "$work/www/strict" "$work/out"
head -c 300000 /dev/urandom >"$work/www/parvel/setup.exe"
cp "$work/www/parvel/setup.exe" "$work/www/strict/setup.exe"
printf 'Access denied.\n' >"$work/www/denied.txt"
"$htpasswd_bin" -bc "$work/htpasswd" 4711 fixed-password >/dev/null 2>&1

# /strict/ answers a refusal with a page whose length is not announced (the substitution
# filter drops it), so the connection's end delimits the body.
kx_nginx_start "$work" "$work/www" "
    location /parvel/ {
      auth_basic \"Parvel\";
      auth_basic_user_file $work/htpasswd;
    }
    location /strict/ {
      auth_basic \"Parvel\";
      auth_basic_user_file $work/htpasswd;
      error_page 401 /denied.txt;
    }
    location = /denied.txt {
      internal;
      sub_filter_types *;
      sub_filter 'denied' 'denied';
    }
"
base="http://127.0.0.1:$KX_NGINX_PORT"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# run NAME EXPECTED_EXIT ARGS...: runs the tool, keeps its last stderr line in $last.
run() {
  local name=$1 expected=$2
  shift 2
  local code=0
  "$httpget" "$@" 2>"$work/$name.err" >"$work/$name.out" || code=$?
  # The tool's last line (a sanitizer's report of suppressions may follow it).
  last=$(grep -E '^(ok [0-9]+ bytes|failed)$' "$work/$name.err" | tail -n 1 || true)
  if [ "$code" -ne "$expected" ]; then
    fail "$name: exit $code, expected $expected (stderr: $(cat "$work/$name.err"))"
  fi
}

# 1. The right customer number: the installer, byte for byte.
run right 0 -u 4711 -p fixed-password --binary "$base/parvel/setup.exe" "$work/out/right.exe"
[ "$last" = "ok 300000 bytes" ] || fail "right: last line '$last'"
cmp -s "$work/www/parvel/setup.exe" "$work/out/right.exe" || fail "right: file differs"

# 2. A wrong customer number: nginx's refusal page with its length: a true outcome with a
#    page far below the installer's size.
run wrong 0 -u 1234 -p fixed-password --binary "$base/parvel/setup.exe" "$work/out/wrong.exe"
size=$(stat -c %s "$work/out/wrong.exe" 2>/dev/null || echo -1)
[ "$size" -ge 0 ] && [ "$size" -le 2200 ] || fail "wrong: size $size"
[ "$last" = "ok $size bytes" ] || fail "wrong: last line '$last'"
grep -q "401" "$work/out/wrong.exe" || fail "wrong: not the refusal page"

# 3. No customer number at all: the same refusal.
run empty 0 --binary "$base/parvel/setup.exe" "$work/out/empty.exe"
size=$(stat -c %s "$work/out/empty.exe" 2>/dev/null || echo -1)
[ "$size" -ge 0 ] && [ "$size" -le 2200 ] || fail "empty: size $size"

# 4. A refusal without a length: a false outcome.
run strict_wrong 1 -u 1234 -p fixed-password --binary "$base/strict/setup.exe" \
  "$work/out/strict_wrong.exe"
[ "$last" = "failed" ] || fail "strict_wrong: last line '$last'"
run strict_right 0 -u 4711 -p fixed-password --binary "$base/strict/setup.exe" \
  "$work/out/strict_right.exe"
cmp -s "$work/www/strict/setup.exe" "$work/out/strict_right.exe" || fail "strict_right: file differs"

# 5. A missing file with the right number: nginx's 404 page (small, with a length).
run missing 0 -u 4711 -p fixed-password --binary "$base/parvel/none.exe" "$work/out/none.exe"
size=$(stat -c %s "$work/out/none.exe" 2>/dev/null || echo -1)
[ "$size" -le 2200 ] || fail "missing: size $size"

# 6. String mode to standard output.
run string 0 -u 4711 -p fixed-password "$base/parvel/setup.exe"
cmp -s "$work/www/parvel/setup.exe" "$work/string.out" || fail "string: body differs"

# 7. Bad arguments.
run usage 2 --no-such-option
run nourl 2

# The credentials went out only as answers to the challenge.
grep -c '"GET /parvel/setup.exe HTTP/1.0" 401' "$work/access.log" >/dev/null ||
  fail "no challenge in the access log"

if [ "$failures" -ne 0 ]; then
  echo "nginx access log:" >&2
  cat "$work/access.log" >&2
  exit 1
fi
echo "nginx e2e: all checks passed"
