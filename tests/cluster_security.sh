#!/usr/bin/env bash
# The test cluster lets in only its owner, and the client's role only with its password.
set -uo pipefail
dir=$1
sock="$dir/sock"
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
fail() { echo "FAIL: $*"; exit 1; }
[ -f "$dir/port" ] && export PGPORT=$(cat "$dir/port")
mode=$(stat -c %a "$sock") && [ "$mode" = 700 ] || fail "socket directory mode is $mode"
mode=$(stat -c %a "$dir") && [ "$mode" = 700 ] || fail "cluster directory mode is $mode"
grep -Eq '^[^#]*\btrust\b' "$dir/data/pg_hba.conf" && fail "trust authentication in pg_hba.conf"
PGPASSWORD= "$PGBIN/psql" -w -X -h "$sock" -U sys -d postgres -c 'select 1' >/dev/null 2>&1 && fail "sys got in without a password"
PGPASSWORD=wrong "$PGBIN/psql" -w -X -h "$sock" -U sys -d postgres -c 'select 1' >/dev/null 2>&1 && fail "sys got in with a wrong password"
PGPASSWORD=vamplex "$PGBIN/psql" -w -X -h "$sock" -U sys -d postgres -qAtc 'select 1' | grep -q 1 || fail "sys cannot log in with its password"
if [ -f "$dir/port" ]; then
  # Over TCP as a workshop's computer: a password, and the line encrypted when asked for.
  tcp="host=127.0.0.1 port=$PGPORT user=sys dbname=postgres"
  PGPASSWORD=wrong "$PGBIN/psql" -w -X "$tcp" -c 'select 1' >/dev/null 2>&1 && fail "sys got in over TCP with a wrong password"
  PGPASSWORD=vamplex "$PGBIN/psql" -w -X "$tcp sslmode=require" -qAtc 'select ssl from pg_stat_ssl where pid = pg_backend_pid()' \
    | grep -q t || fail "the server offers no TLS over TCP"
fi
if [ "$(id -u)" = 0 ]; then
  # Another local user reaches neither the socket nor, through it, the superuser.
  runuser -u nobody -- env PGPASSWORD=vamplex "$PGBIN/psql" -w -X -h "$sock" -U sys -d postgres -c 'select 1' >/dev/null 2>&1 \
    && fail "another local user got in"
fi
echo "1 passed, 0 failed"
