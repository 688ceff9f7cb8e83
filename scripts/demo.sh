#!/usr/bin/env bash
# Builds the client, starts a private PostgreSQL cluster with the demo workshop and
# starts the client on it. The cluster lives in /var/lib/piecework/demo (as root; else in the
# user's data folder) between runs, reached by its owner alone;
# the demo data is loaded anew when it holds no records for today.
# PW_PROGRAM=/usr/bin/piecework starts the installed program instead of building one.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
if [ "$(id -u)" = 0 ]; then default_dir=/var/lib/piecework/demo; else default_dir=${XDG_DATA_HOME:-$HOME/.local/share}/piecework-demo; fi
dir=${PW_DEMO_DIR:-$default_dir}
mkdir -p "$(dirname "$dir")"
db=piecework_demo
# The spreadsheet program the exports open their workbooks in.
"$top/scripts/need.sh" libreoffice-calc xdg-utils
program=${PW_PROGRAM:-}
if [ -z "$program" ]; then
  "$top/scripts/build.sh" --target piecework
  program=$build/piecework
fi
"$top/scripts/pgcluster.sh" start "$dir"
today=$("$top/scripts/pgcluster.sh" psql "$dir" "$db" -qAtc \
  "select count(*) from accounts_dep.smena where data = current_date" 2>/dev/null || echo 0)
if [ "${today:-0}" = 0 ]; then
  echo "loading the demo workshop…"
  "$top/scripts/pgcluster.sh" load "$dir" "$db" "$top"/db/schema/*.sql "$top/db/demo/rebuild_tabel.sql" \
    "$top/db/demo/generate.sql" "$top/db/demo/demo.sql" "$top/db/demo/done.sql"
fi
echo "login codes: 0842 administrator, vindar planning, bruvane foreman, gelvo warehouse"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  # No screen here: the client gets a virtual one, which a screenshot tool can look at.
  "$top/scripts/need.sh" xvfb x11-apps
  n=99
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null' EXIT
  export DISPLAY=":$n"
  sleep 1
  echo "no display found: the client runs on the virtual display $DISPLAY (look: xwd -root -display $DISPLAY)"
  "$program" "$db" "$dir/sock"
else
  exec "$program" "$db" "$dir/sock"
fi
