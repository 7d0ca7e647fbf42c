#!/usr/bin/env bash
# The real program, end to end, unchanged: in a network and mount namespace of its own,
# where the download host resolves to a local nginx on port 80 with basic auth, the X
# display is an Xvfb of its own, and a stub xdg-open on PATH records what the program asks
# the shell to open. Input comes from xdotool.
#
#   wizard_e2e.sh KESTRIX SETTINGS_TOOL ARTIFACT_DIR
#
# Exit 77 (skipped) where namespaces cannot be made (not root, no unshare).
set -euo pipefail

kestrix=$(readlink -f "$1")
settings_tool=$(readlink -f "$2")
artifacts=$(readlink -f "${3:-.}")
self=$(readlink -f "$0")

if [ "${KX_E2E_INSIDE:-}" != 1 ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare --net --mount true 2>/dev/null; then
    echo "wizard_e2e: skipped: needs root and unshare for its own namespaces"
    exit 77
  fi
  for tool in nginx htpasswd Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "wizard_e2e: $tool is missing"; exit 1; }
  done
  KX_E2E_INSIDE=1 exec unshare --net --mount --fork "$self" "$@"
fi

# ---- inside the namespaces -------------------------------------------------------------
mount --make-rprivate /
ip link set lo up

work=$(mktemp -d /tmp/kestrix-e2e.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "wizard_e2e: FAILED: $*" >&2
  for f in "$work"/nginx/error.log "$work"/app-*.log; do
    [ -f "$f" ] && { echo "--- $f"; tail -n 30 "$f"; } >&2
  done
  exit 1
}
# wait_for SECONDS COMMAND...: polls COMMAND until it succeeds.
wait_for() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# The wizard's own settings: HOST, DOWNLOAD_PATH, PASSWORD, SIGNUP_DE, SIGNUP_EN.
eval "$("$settings_tool")"
customer=4711-0815

# The download host is this machine.
cp /etc/hosts "$work/hosts"
echo "127.0.0.1 $HOST" >>"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

# The system locale: a private /etc/default holding only the locale file, and no
# /etc/locale.conf (an empty one where the machine has it).
mkdir -p "$work/etc-default"
mount --bind "$work/etc-default" /etc/default
if [ -e /etc/locale.conf ]; then
  : >"$work/locale.conf"
  mount --bind "$work/locale.conf" /etc/locale.conf
fi
set_system_lang() { printf 'LANG=%s\n' "$1" >/etc/default/locale; }

# nginx with basic auth: user = the customer number, password = the wizard's fixed one.
mkdir -p "$work/nginx" "$work/www$(dirname "$DOWNLOAD_PATH")"
head -c 300000 /dev/urandom >"$work/www$DOWNLOAD_PATH"
htpasswd -bc "$work/nginx/htpasswd" "$customer" "$PASSWORD" 2>/dev/null
cat >"$work/nginx/nginx.conf" <<EOF
user root;
daemon off;
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 64; }
http {
  access_log $work/nginx/access.log;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:80;
    root $work/www;
    location /download/ {
      auth_basic "Parvel";
      auth_basic_user_file $work/nginx/htpasswd;
    }
  }
}
EOF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" &
pids+=($!)
wait_for 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/80" || fail "nginx did not start"

# An X display of our own.
display_num=90
while [ -e "/tmp/.X11-unix/X$display_num" ] || [ -e "/tmp/.X$display_num-lock" ]; do
  display_num=$((display_num + 1))
done
Xvfb ":$display_num" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display_num"
wait_for 10 xdotool getmouselocation || fail "Xvfb did not start"

# The shell's opener records what it is asked to open.
mkdir -p "$work/bin" "$work/tmp"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
EOF
chmod +x "$work/bin/xdg-open"
: >"$work/opened.txt"

app_pid=
wid=
start_wizard() {  # start_wizard NAME PROCESS_LANG
  LANG=$2 LC_ALL= LC_MESSAGES= TMPDIR="$work/tmp" PATH="$work/bin:$PATH" \
    "$kestrix" >"$work/app-$1.log" 2>&1 &
  app_pid=$!
  pids+=("$app_pid")
  wid=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app_pid" 2>/dev/null | head -n 1) ||
    true
  [ -n "$wid" ] || fail "$1: no window"
  sleep 0.5  # the first frame
  xdotool mousemove --window "$wid" 10 10
}
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }
alive() { kill -0 "$app_pid" 2>/dev/null; }
opened_has() { grep -qxF -- "$1" "$work/opened.txt"; }

# The controls' centres in client coordinates.
field_x=222 field_y=326
button_x=222 button_y=480
link_x=221 link_y=165

# ---- 1. English system: a wrong number fails and the window stays ------------------------
set_system_lang en_US.UTF-8
start_wizard en en_US.UTF-8
import -window "$wid" "$artifacts/e2e-wizard-en.png" 2>/dev/null || true
title=$(xdotool getwindowname "$wid")
[ "$title" = "Register full version" ] || fail "English title: '$title'"

click $field_x $field_y
xdotool type --delay 30 "0000-0000"
click $button_x $button_y
box=$(timeout 30 xdotool search --sync --name "^Download failed$" 2>/dev/null | head -n 1) || true
[ -n "$box" ] || fail "no failure message box after a wrong number"
alive || fail "the program ended after a failure"
[ -f "$work/tmp/parvelVV.exe" ] || fail "the failed attempt left no file"
xdotool mousemove --window "$box" 5 5
xdotool key --window "$box" Return
wait_for 10 bash -c "! xdotool search --name '^Download failed$'" || fail "the message box stays"
alive || fail "the program ended after closing the message box"
echo "wizard_e2e: wrong number: message box shown, window stays"

# The sign-up link opens the page of the system's language.
click $link_x $link_y
wait_for 10 opened_has "$SIGNUP_EN" || fail "link: expected $SIGNUP_EN, got $(cat "$work/opened.txt")"
echo "wizard_e2e: link opens $SIGNUP_EN"

# ---- 2. The right number: the installer is fetched and started, exit code 0 --------------
click $field_x $field_y
xdotool key ctrl+a
xdotool type --delay 30 "$customer"
click $button_x $button_y
rc=0
timeout 60 tail --pid="$app_pid" -f /dev/null || fail "the program did not end after the download"
wait "$app_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after a successful download"
opened_has "$work/tmp/parvelVV.exe" || fail "installer not started: $(cat "$work/opened.txt")"
cmp -s "$work/tmp/parvelVV.exe" "$work/www$DOWNLOAD_PATH" || fail "the stored installer differs"
grep -q "\"GET $DOWNLOAD_PATH HTTP/1.0\" 200" "$work/nginx/access.log" || fail "no HTTP/1.0 GET"
echo "wizard_e2e: right number: installer fetched, started, exit 0"

# ---- 3. German system, English user: German texts and the German sign-up page -------------
: >"$work/opened.txt"
set_system_lang de_DE.UTF-8
start_wizard de en_US.UTF-8
import -window "$wid" "$artifacts/e2e-wizard-de.png" 2>/dev/null || true
title=$(xdotool getwindowname "$wid")
[ "$title" = "Vollversion registrieren" ] || fail "German title: '$title'"
click $link_x $link_y
wait_for 10 opened_has "$SIGNUP_DE" || fail "link: expected $SIGNUP_DE, got $(cat "$work/opened.txt")"
echo "wizard_e2e: German system: link opens $SIGNUP_DE"
kill -TERM "$app_pid"
rc=0
wait "$app_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after closing the window"
echo "wizard_e2e: window closed, exit 0"
echo "wizard_e2e: all checks passed"
