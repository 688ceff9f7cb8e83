#!/usr/bin/env bash
# Builds the benchmarks, loads the large workshop into a private cluster (once), runs them.
#   bench/run.sh [benchmark-name …]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
dir=${PW_BENCH_CLUSTER:-/tmp/pwbench}
# psql beside our client logs in as the client does, with the role's password.
export PGPASSWORD=vamplex
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
"$top/scripts/pgcluster.sh" start "$dir"
if ! "$top/scripts/pgcluster.sh" psql "$dir" pw_large -qAtc "select 1 from accounts_dep.h_tabel limit 1" 2>/dev/null | grep -q 1; then
  echo "loading the large workshop…"
  "$top/scripts/pgcluster.sh" load "$dir" pw_large "$top"/db/schema/*.sql "$top/db/demo/rebuild_tabel.sql" \
    "$top/db/demo/generate.sql" "$top/bench/gen_large.sql" "$top/db/demo/done.sql"
fi
# The large workshop as a site has it: 50,000 persons of other applications beside the
# workers (pw_site); the same with the earlier version's function and indexes, the
# reference of bench_site (pw_site_earlier). bench_site makes the upgraded copy itself.
psql_() { "$top/scripts/pgcluster.sh" psql "$dir" "$@"; }
if ! psql_ pw_site -qAtc "select 1 from cmn_contractor.person where s_code = 'К-3'" 2>/dev/null | grep -q 1; then
  echo "adding the persons of other applications…"
  psql_ postgres -qc "drop database if exists pw_site_earlier" -c "drop database if exists pw_site_upgraded" \
    -c "drop database if exists pw_site" -c "create database pw_site template pw_large"
  psql_ pw_site -q -v ON_ERROR_STOP=1 -f "$top/bench/gen_foreign.sql"
fi
if ! psql_ pw_site_earlier -qAtc "select 1" 2>/dev/null | grep -q 1; then
  psql_ postgres -qc "create database pw_site_earlier template pw_site"
  psql_ pw_site_earlier -q -v ON_ERROR_STOP=1 -f "$top/bench/earlier_objects.sql"
fi
names=("$@")
[ ${#names[@]} -eq 0 ] && names=($(cd "$top/bench" && ls bench_*.cpp | sed 's/\.cpp$//'))
make -C "$build" -j2 "${names[@]}" >/dev/null
for n in "${names[@]}"; do
  echo "== $n"
  if [ "$n" = bench_silent ]; then
    # Its own small workshop on a server reached over TCP, as a workshop's is.
    tcp="$dir-tcp"
    PW_CLUSTER_TCP=1 "$top/scripts/pgcluster.sh" start "$tcp"
    "$top/scripts/pgcluster.sh" load "$tcp" pw_silent "$top"/db/schema/*.sql "$top/tests/fixture.sql"
    "$build/bench/$n" pw_silent "127.0.0.1:$(cat "$tcp/port")" "$tcp/sock"
    continue
  fi
  if [ "$n" = bench_standby_load ]; then
    # A primary and standby of its own, with the large workshop loaded there (as root).
    "$build/bench/$n"
    continue
  fi
  if [ "$n" = bench_watch ]; then
    # Over the socket, then over TCP with TLS as a workshop's computer saves (a cluster of its
    # own that listens there, with the large workshop loaded once).
    QT_QPA_PLATFORM=offscreen "$build/bench/$n" pw_large "$dir/sock"
    tcp="$dir-tcp"
    PW_CLUSTER_TCP=1 "$top/scripts/pgcluster.sh" start "$tcp"
    if ! "$top/scripts/pgcluster.sh" psql "$tcp" pw_large -qAtc "select 1 from accounts_dep.h_tabel limit 1" 2>/dev/null | grep -q 1; then
      "$top/scripts/pgcluster.sh" load "$tcp" pw_large "$top"/db/schema/*.sql "$top/db/demo/rebuild_tabel.sql" \
        "$top/db/demo/generate.sql" "$top/bench/gen_large.sql" "$top/db/demo/done.sql"
    fi
    PGPORT=$(cat "$tcp/port") QT_QPA_PLATFORM=offscreen "$build/bench/$n" pw_large "$tcp/sock" "127.0.0.1:$(cat "$tcp/port")"
    continue
  fi
  # The off-screen platform says at every window that it cannot pass size hints on.
  QT_QPA_PLATFORM=offscreen "$build/bench/$n" pw_large "$dir/sock" 2> >(grep -v propagateSizeHints >&2)
done
