# Starts and stops a private nginx on a free loopback port, for end-to-end tests and
# benchmarks. Source this file, then:
#   kx_nginx_start WORKDIR DOCROOT [SERVER_CONF]
#       WORKDIR: an empty folder for the configuration, pid, logs and temp files;
#       DOCROOT: the folder served as /;
#       SERVER_CONF: more directives inside the server block (locations, auth).
#     Sets KX_NGINX_PORT and KX_NGINX_PID. Returns non-zero when nginx did not come up.
#   kx_nginx_stop
# NGINX (default: nginx on PATH or /usr/sbin/nginx) names the binary.

kx_nginx_bin() {
  if [ -n "${NGINX:-}" ]; then
    echo "$NGINX"
  elif command -v nginx >/dev/null 2>&1; then
    command -v nginx
  else
    echo /usr/sbin/nginx
  fi
}

kx_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

kx_nginx_start() {
  local work=$1 root=$2 extra=${3:-}
  local bin
  bin=$(kx_nginx_bin)
  local version
  version=$("$bin" -V 2>&1)
  # Every temp folder the binary knows goes into the work folder, so that nothing outside
  # it is needed (and no root rights).
  local temps="client_body_temp_path $work/tmp-body;"
  local m
  for m in proxy fastcgi uwsgi scgi; do
    case "$version" in
      *"--without-http_${m}_module"*) ;;
      *) temps="$temps ${m}_temp_path $work/tmp-$m;" ;;
    esac
  done
  local user_line=""
  # As root the workers would drop to "nobody", who cannot read a private temp folder.
  if [ "$(id -u)" -eq 0 ]; then user_line="user root;"; fi

  local attempt
  for attempt in 1 2 3 4 5; do
    KX_NGINX_PORT=$(kx_free_port)
    cat >"$work/nginx.conf" <<EOF
$user_line
daemon off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 256; }
http {
  access_log $work/access.log;
  $temps
  default_type application/octet-stream;
  sendfile on;
  server {
    listen 127.0.0.1:$KX_NGINX_PORT;
    server_name localhost;
    root $root;
    $extra
  }
}
EOF
    "$bin" -p "$work" -c "$work/nginx.conf" -e "$work/error.log" >"$work/stdout.log" 2>&1 &
    KX_NGINX_PID=$!
    local i
    for i in $(seq 1 100); do
      if ! kill -0 "$KX_NGINX_PID" 2>/dev/null; then break; fi
      if (exec 3<>"/dev/tcp/127.0.0.1/$KX_NGINX_PORT") 2>/dev/null; then
        return 0
      fi
      sleep 0.05
    done
    kx_nginx_stop
    # Another process may have taken the port in between: try another one.
  done
  echo "nginx did not start; its log:" >&2
  cat "$work/error.log" "$work/stdout.log" >&2 2>/dev/null
  return 1
}

kx_nginx_stop() {
  if [ -n "${KX_NGINX_PID:-}" ]; then
    kill "$KX_NGINX_PID" 2>/dev/null || true
    wait "$KX_NGINX_PID" 2>/dev/null || true
    KX_NGINX_PID=
  fi
}
