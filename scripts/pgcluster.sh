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
set -euo pipefail
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
cmd=$1; dir=$(realpath -m "$2"); shift 2
as_owner() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
sock="$dir/sock"
# The client's role and password, as the workshop's connection string names them.
export PGPASSWORD=vamplex

write_hba() {
  as_owner tee "$dir/data/pg_hba.conf" >/dev/null <<'HBA'
# Unix socket only (no TCP); the server's own superuser by the operating system user.
local all postgres peer
local all all      scram-sha-256
HBA
}

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
  else
    as_owner "$PGBIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
      -o "-c listen_addresses='' -c unix_socket_directories='$sock' -c unix_socket_permissions=0700 -c password_encryption=scram-sha-256 -c fsync=off -c full_page_writes=off -c synchronous_commit=off" start >/dev/null
  fi
  as_owner "$PGBIN/psql" -h "$sock" -U postgres -d postgres -qAt -v ON_ERROR_STOP=1 -c \
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
