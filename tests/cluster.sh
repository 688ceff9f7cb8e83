#!/usr/bin/env bash
# The test run's private cluster: a fresh one per run, with the template database
# pw_template (schema and the small fixture) that every test case copies.
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
  ;;
stop)
  "$top/scripts/pgcluster.sh" stop "$dir"
  rm -rf "$dir"
  ;;
esac
