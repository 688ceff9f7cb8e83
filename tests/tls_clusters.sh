#!/usr/bin/env bash
# Two small servers reached over TCP on 127.0.0.1, for the connection's encryption test:
# DIR/tls offers TLS with a self-signed certificate, DIR/plain offers none. Both let the
# client's role in with its password, encrypted or not, so that only the client decides.
#   tls_clusters.sh start DIR   each server's port is written to DIR/<name>/port
#   tls_clusters.sh stop DIR
set -euo pipefail
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
cmd=$1; dir=$(realpath -m "$2")
as_owner() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

stop() {
  for name in tls plain; do
    [ -f "$dir/$name/data/PG_VERSION" ] && as_owner "$PGBIN/pg_ctl" -D "$dir/$name/data" -m immediate -w stop >/dev/null 2>&1
  done
  rm -rf "$dir"
}

# Starts the server of DIR/NAME on the first free port from a start that differs per run.
start_on_free_port() {
  local name=$1 ssl=$2 port
  port=$((20000 + (RANDOM % 2000) * 10))
  for _ in $(seq 30); do
    if as_owner "$PGBIN/pg_ctl" -D "$dir/$name/data" -l "$dir/$name/server.log" -w -t 20 \
        -o "-c port=$port -c listen_addresses=127.0.0.1 -c unix_socket_directories='$dir/$name' -c ssl=$ssl -c fsync=off" \
        start >/dev/null 2>&1; then
      echo "$port" >"$dir/$name/port"
      return
    fi
    port=$((port + 1))
  done
  echo "no free port for the $name server" >&2
  cat "$dir/$name/server.log" >&2
  exit 1
}

case "$cmd" in
start)
  stop
  mkdir -p "$dir/tls"
  [ "$(id -u)" = 0 ] && chown -R postgres: "$dir"
  chmod 700 "$dir"
  data=$dir/tls/data
  as_owner "$PGBIN/initdb" -D "$data" -U postgres -E UTF8 --locale=C.UTF-8 --auth-local=peer --auth-host=reject >/dev/null
  as_owner tee "$data/pg_hba.conf" >/dev/null <<'HBA'
local   all postgres peer
hostssl all sys 127.0.0.1/32 scram-sha-256
host    all sys 127.0.0.1/32 scram-sha-256
HBA
  as_owner openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1 \
    -keyout "$data/server.key" -out "$data/server.crt" 2>/dev/null
  chmod 600 "$data/server.key"
  as_owner "$PGBIN/postgres" --single -D "$data" -c password_encryption=scram-sha-256 postgres >/dev/null 2>&1 <<'SQL'
create role sys login password 'vamplex';
SQL
  as_owner cp -a "$dir/tls" "$dir/plain"
  start_on_free_port tls on
  start_on_free_port plain off
  ;;
stop) stop ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
