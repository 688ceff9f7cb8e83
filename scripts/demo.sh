#!/usr/bin/env bash
# Builds the client, starts a private PostgreSQL cluster with the demo workshop and
# starts the client on it. The cluster lives in /var/tmp/piecework-demo between runs;
# the demo data is loaded anew when it holds no records for today.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
dir=${PW_DEMO_DIR:-/var/tmp/piecework-demo}
db=piecework_demo
"$top/scripts/need.sh"
"$top/scripts/build.sh" --target piecework
"$top/scripts/pgcluster.sh" start "$dir"
today=$("$top/scripts/pgcluster.sh" psql "$dir" "$db" -qAtc \
  "select count(*) from accounts_dep.smena where data = current_date" 2>/dev/null || echo 0)
if [ "${today:-0}" = 0 ]; then
  echo "loading the demo workshop…"
  "$top/scripts/pgcluster.sh" load "$dir" "$db" "$top"/db/schema/*.sql "$top/db/demo/rebuild_tabel.sql" \
    "$top/db/demo/generate.sql" "$top/db/demo/demo.sql"
fi
echo "login codes: 0842 administrator, vindar planning, bruvane foreman, gelvo warehouse"
exec "$build/piecework" "$db" "$dir/sock"
