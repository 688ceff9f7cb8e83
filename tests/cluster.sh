#!/usr/bin/env bash
# The test run's private cluster: a fresh one per run, with the template database
# pw_template (schema and the small fixture) that every test case copies, and pw_demo
# (the demo workshop) for the cases that need its longer texts and larger numbers; both
# owned by the site's roles, the client's role sys holding only the rights of everyday work.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
dir=$2
case "$1" in
start)
  "$top/scripts/pgcluster.sh" stop "$dir"
  rm -rf "$dir"
  "$top/scripts/pgcluster.sh" start "$dir"
  # Files go in on standard input: the server's user may not reach the checkout.
  "$top/scripts/pgcluster.sh" super "$dir" postgres <"$here/site_roles.sql"
  "$top/scripts/pgcluster.sh" load "$dir" pw_template "$top"/db/schema/*.sql "$here/fixture.sql"
  dbs=pw_template
  # "small": the template alone, for a test's own clusters that need no demo.
  if [ "${3:-}" != small ]; then
    "$top/scripts/pgcluster.sh" load "$dir" pw_demo "$top"/db/schema/*.sql "$top/db/demo/rebuild_tabel.sql" \
      "$top/db/demo/generate.sql" "$top/db/demo/demo.sql" "$top/db/demo/done.sql"
    dbs="pw_template pw_demo"
  fi
  # The schema passes to the site's owner; the client keeps the everyday rights alone.
  for db in $dbs; do
    "$top/scripts/pgcluster.sh" super "$dir" $db -c "reassign owned by sys to pw_owner" \
      -c "alter database $db owner to pw_site"
    "$top/scripts/pgcluster.sh" super "$dir" $db <"$top/db/everyday_rights.sql"
  done
  ;;
stop)
  "$top/scripts/pgcluster.sh" stop "$dir"
  rm -rf "$dir"
  ;;
esac
