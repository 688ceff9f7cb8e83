#!/usr/bin/env bash
# The test run's private cluster: a fresh one per run, with the template database
# pw_template (schema and the small fixture) that every test case copies, and pw_demo
# (the demo workshop) for the cases that need its longer texts and larger numbers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
dir=$2
case "$1" in
start)
  "$top/scripts/pgcluster.sh" stop "$dir"
  rm -rf "$dir"
  "$top/scripts/pgcluster.sh" start "$dir"
  "$top/scripts/pgcluster.sh" load "$dir" pw_template "$top"/db/schema/*.sql "$here/fixture.sql"
  "$top/scripts/pgcluster.sh" load "$dir" pw_demo "$top"/db/schema/*.sql "$top/db/demo/rebuild_tabel.sql" \
    "$top/db/demo/generate.sql" "$top/db/demo/demo.sql"
  ;;
stop)
  "$top/scripts/pgcluster.sh" stop "$dir"
  rm -rf "$dir"
  ;;
esac
