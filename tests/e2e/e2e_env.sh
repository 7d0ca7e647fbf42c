# The real program's world for end-to-end runs, shared by the end-to-end test and the
# download benchmark. Source it from a script, then:
#   e2e_enter NAME "$@"   re-runs the calling script in a network and mount namespace of
#                         its own (exit 77 where that cannot be done); returns inside them
#   e2e_setup SETTINGS_TOOL
#                         the download host on this machine (nginx on port 80, basic auth,
#                         the installer file), a private system locale, an Xvfb of its own,
#                         a stub xdg-open recording what it is asked to open
# Then: start_wizard NAME PROCESS_LANG, click X Y, alive, opened_has TEXT, set_system_lang,
# wait_for SECONDS COMMAND..., fail MESSAGE. Variables: $work, $kestrix (set by the
# caller), $app_pid, $wid, $customer, HOST, DOWNLOAD_PATH, PASSWORD, SIGNUP_DE, SIGNUP_EN.
# E2E_FILE_BYTES (300000) sizes the installer; E2E_LIMIT_RATE (none) slows nginx down.

e2e_name=e2e

e2e_enter() {
  e2e_name=$1
  shift
  [ "${KX_E2E_INSIDE:-}" = 1 ] && return 0
  if [ "$(id -u)" -ne 0 ] || ! unshare --net --mount true 2>/dev/null; then
    echo "$e2e_name: skipped: needs root and unshare for its own namespaces"
    exit 77
  fi
  local tool
  for tool in nginx htpasswd Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$e2e_name: $tool is missing"; exit 1; }
  done
  KX_E2E_INSIDE=1 exec unshare --net --mount --fork "$(readlink -f "$0")" "$@"
}

pids=()
e2e_cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

fail() {
  echo "$e2e_name: FAILED: $*" >&2
  local f
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

set_system_lang() { printf 'LANG=%s\n' "$1" >/etc/default/locale; }

e2e_setup() {
  local settings_tool=$1
  mount --make-rprivate /
  ip link set lo up

  work=$(mktemp -d /tmp/kestrix-e2e.XXXXXX)
  trap e2e_cleanup EXIT

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

  # nginx with basic auth: user = the customer number, password = the wizard's fixed one.
  mkdir -p "$work/nginx" "$work/www$(dirname "$DOWNLOAD_PATH")"
  head -c "${E2E_FILE_BYTES:-300000}" /dev/urandom >"$work/www$DOWNLOAD_PATH"
  htpasswd -bc "$work/nginx/htpasswd" "$customer" "$PASSWORD" 2>/dev/null
  local rate=""
  [ -n "${E2E_LIMIT_RATE:-}" ] && rate="limit_rate $E2E_LIMIT_RATE;"
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
      $rate
    }
  }
}
EOF
  nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" &
  pids+=($!)
  wait_for 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/80" || fail "nginx did not start"

  # An X display of our own; Xvfb picks a free number and writes it to descriptor 3.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
  unset WAYLAND_DISPLAY

  # The shell's opener records what it is asked to open.
  mkdir -p "$work/bin" "$work/tmp"
  cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened.txt"
EOF
  chmod +x "$work/bin/xdg-open"
  : >"$work/opened.txt"
}

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
