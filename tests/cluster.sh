#!/usr/bin/env bash
# The test run's private cluster: a fresh one per run, with the template database
# pw_template (schema and the small fixture) that every test case copies, owned by the
# site's roles, the client's role sys holding only the rights of everyday work.
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
  # The schema passes to the site's owner; the client keeps the everyday rights alone.
  "$top/scripts/pgcluster.sh" super "$dir" pw_template -c "reassign owned by sys to pw_owner" \
    -c "alter database pw_template owner to pw_site"
  "$top/scripts/pgcluster.sh" super "$dir" pw_template <"$top/db/everyday_rights.sql"
  ;;
stop)
  "$top/scripts/pgcluster.sh" stop "$dir"
  rm -rf "$dir"
  ;;
esac
