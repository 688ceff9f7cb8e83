#!/usr/bin/env bash
# A primary and its streaming standby, private clusters of one test program:
#   standby.sh start DIR     DIR/primary (the template alone) and DIR/standby, a copy
#                            made with pg_basebackup -R that streams from it
#   standby.sh stop DIR      both stopped and removed
#   standby.sh promote DIR   the standby takes writes
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
PGBIN=${PGBIN:-/usr/lib/postgresql/15/bin}
dir=$(realpath -m "$2")
as_owner() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
case "$1" in
start)
  "$here/cluster.sh" start "$dir/primary" small
  # The tests look at every session of both servers (pg_stat_activity) as the site's administrator,
  # and hold the standby's replay to make it lag.
  "$top/scripts/pgcluster.sh" super "$dir/primary" postgres -c "grant pg_read_all_stats to pw_site" \
    -c "grant execute on function pg_wal_replay_pause(), pg_wal_replay_resume() to pw_site"
  "$top/scripts/pgcluster.sh" stop "$dir/standby"
  rm -rf "$dir/standby"
  mkdir -p "$dir/standby"
  [ "$(id -u)" = 0 ] && chown postgres: "$dir" "$dir/standby"
  chmod 700 "$dir/standby"
  port=()
  [ -f "$dir/primary/port" ] && port=(-p "$(cat "$dir/primary/port")")
  as_owner "$PGBIN/pg_basebackup" -h "$dir/primary/sock" "${port[@]}" -U postgres -D "$dir/standby/data" -R -X stream -c fast
  # The copy's port is its own (the primary's is written in its folder, not in the data).
  "$top/scripts/pgcluster.sh" start "$dir/standby"
  ;;
stop)
  "$top/scripts/pgcluster.sh" stop "$dir/standby"
  "$here/cluster.sh" stop "$dir/primary"
  rm -rf "$dir"
  ;;
promote)
  as_owner "$PGBIN/pg_ctl" -D "$dir/standby/data" -w promote >/dev/null
  ;;
*) echo "usage: $0 start|stop|promote DIR" >&2; exit 2 ;;
esac
