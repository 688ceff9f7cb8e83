#!/usr/bin/env bash
# Private PostgreSQL cluster reached only through a Unix socket directory.
#   pgcluster.sh start DIR          initdb when new, start, make the role "sys"
#   pgcluster.sh stop DIR
#   pgcluster.sh load DIR DB FILE…  create DB (Russian ICU collation) and run the SQL files in it
#   pgcluster.sh psql DIR DB [args] psql as "sys" on DB
#   pgcluster.sh super DIR DB [args] psql as the server's superuser on DB (SQL on stdin or -c)
# DIR holds data/ and the socket directory sock/. PostgreSQL refuses root, so as root
# everything runs as the postgres user. Only the user who runs the server (and root) may
# reach the socket, and every role but the server's own superuser logs in with a password.
# PW_CLUSTER_TCP=1 at the first start: the server also listens on 127.0.0.1, on a free port
# written to DIR/port (kept at later starts), offering TLS with a self-signed certificate,
# as a workshop's server across the network does.
set -euo pipefail
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
cmd=$1; dir=$(realpath -m "$2"); shift 2
as_owner() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
sock="$dir/sock"
# The client's role and password, as the workshop's connection string names them.
export PGPASSWORD=vamplex

write_hba() {
  as_owner tee "$dir/data/pg_hba.conf" >/dev/null <<'HBA'
# The server's own superuser by the operating system user (a standby's copy and stream too);
# every other role by password.
local all postgres peer
local replication postgres peer
local all all      scram-sha-256
HBA
  [ -f "$dir/port" ] && echo "host all all 127.0.0.1/32 scram-sha-256" | as_owner tee -a "$dir/data/pg_hba.conf" >/dev/null
  return 0
}

# The server's options: the socket alone, or TCP with TLS on the cluster's port too.
server_options() {
  local o="-c unix_socket_directories='$sock' -c unix_socket_permissions=0700 -c password_encryption=scram-sha-256"
  o="$o -c fsync=off -c full_page_writes=off -c synchronous_commit=off"
  if [ -f "$dir/port" ]; then
    o="$o -c listen_addresses=127.0.0.1 -c port=$(cat "$dir/port") -c ssl=on"
  else
    o="$o -c listen_addresses=''"
  fi
  echo "$o"
}

make_certificate() {
  [ -f "$dir/data/server.key" ] && return 0
  as_owner openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 -subj /CN=127.0.0.1 \
    -keyout "$dir/data/server.key" -out "$dir/data/server.crt" 2>/dev/null
  as_owner chmod 600 "$dir/data/server.key"
}

# First start in TCP mode: the first free port from a start that differs per cluster.
start_tcp() {
  local port=$((20000 + $(echo "$dir" | cksum | cut -d' ' -f1) % 20000))
  for _ in $(seq 40); do
    echo "$port" >"$dir/port"
    write_hba
    if as_owner "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 -o "$(server_options)" start >/dev/null 2>&1; then
      return 0
    fi
    port=$((port + 1))
  done
  rm -f "$dir/port"
  echo "no free port for the cluster in $dir" >&2
  exit 1
}

[ -f "$dir/port" ] && export PGPORT=$(cat "$dir/port")

case "$cmd" in
start)
  mkdir -p "$dir" "$sock"
  [ "$(id -u)" = 0 ] && chown postgres: "$dir" "$sock"
  chmod 700 "$dir" "$sock"
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    as_owner "$PGBIN/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 --auth-local=peer --auth-host=reject \
      >"$dir/initdb.log"
  fi
  # Written at every start, so that a cluster made by an older script loses its trust too.
  write_hba
  if as_owner "$PGBIN/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
    as_owner "$PGBIN/pg_ctl" -D "$dir/data" reload >/dev/null
  elif [ ! -f "$dir/port" ] && [ "${PW_CLUSTER_TCP:-}" = 1 ]; then
    make_certificate
    start_tcp
    export PGPORT=$(cat "$dir/port")
  else
    [ -f "$dir/port" ] && make_certificate
    as_owner "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -o "$(server_options)" start >/dev/null
  fi
  # A standby takes its roles from its primary.
  standby=$(as_owner "$PGBIN/psql" -h "$sock" -U postgres -d postgres -qAtX -c "select pg_is_in_recovery()")
  [ "$standby" = t ] || as_owner "$PGBIN/psql" -h "$sock" -U postgres -d postgres -qAt -v ON_ERROR_STOP=1 -c \
    "do \$\$ begin if not exists (select from pg_roles where rolname='sys') then create role sys login createdb password 'vamplex'; end if; end \$\$;" \
    -c "alter role sys password 'vamplex'" >/dev/null
  ;;
stop)
  as_owner "$PGBIN/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
  ;;
load)
  db=$1; shift
  as_owner "$PGBIN/psql" -h "$sock" -U postgres -d postgres -qAt -v ON_ERROR_STOP=1 \
    -c "drop database if exists \"$db\"" \
    -c "create database \"$db\" owner sys template template0 encoding 'UTF8' locale_provider icu icu_locale 'ru-RU' locale 'C.UTF-8'" >/dev/null
  for f in "$@"; do
    "$PGBIN/psql" -h "$sock" -U sys -d "$db" -qAt -v ON_ERROR_STOP=1 -f "$f" >/dev/null
  done
  ;;
psql)
  db=$1; shift
  exec "$PGBIN/psql" -h "$sock" -U sys -d "$db" "$@"
  ;;
super)
  db=$1; shift
  as_owner "$PGBIN/psql" -h "$sock" -U postgres -d "$db" -X -q -v ON_ERROR_STOP=1 "$@"
  ;;
*) echo "usage: $0 start|stop|load|psql|super DIR …" >&2; exit 2 ;;
esac
