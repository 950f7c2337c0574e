#!/usr/bin/env bash
# Starts a throwaway PostgreSQL 15 cluster for the tests and writes its connection
# string to an env file (default build/pg.env):
#   export TAXBRIDGE_TEST_PG='host=<socket dir> port=<port> dbname=taxbridge_test user=<user>'
# Usage:
#   scripts/start-postgres.sh [ENV_FILE]          start (prints the connection string)
#   scripts/start-postgres.sh --stop [ENV_FILE]   stop the cluster and remove its files
# As root the cluster runs as the 'postgres' user (initdb refuses root); otherwise as
# the calling user. It listens on a socket in its own directory and on 127.0.0.1 at a
# free port, with trust authentication, so it must only ever be a local test server.
set -euo pipefail
cd "$(dirname "$0")/.."

stop=0
if [ "${1:-}" = "--stop" ]; then stop=1; shift; fi
envfile="${1:-build/pg.env}"

bindir=$(ls -d /usr/lib/postgresql/15/bin 2>/dev/null || ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "start-postgres: PostgreSQL server binaries not found (install the Debian package postgresql)" >&2
  exit 1
fi

if [ "$(id -u)" -eq 0 ]; then
  runas=(runuser -u postgres --)
  dbuser=postgres
else
  runas=()
  dbuser=$(id -un)
fi

if [ "$stop" -eq 1 ]; then
  [ -f "$envfile" ] || { echo "start-postgres: no $envfile" >&2; exit 0; }
  # shellcheck disable=SC1090
  . "$envfile"
  if [ -n "${TAXBRIDGE_TEST_PG_DIR:-}" ] && [ -d "$TAXBRIDGE_TEST_PG_DIR/data" ]; then
    "${runas[@]}" "$bindir/pg_ctl" -D "$TAXBRIDGE_TEST_PG_DIR/data" -m fast -w stop >/dev/null || true
    rm -rf "$TAXBRIDGE_TEST_PG_DIR"
  fi
  rm -f "$envfile"
  echo "start-postgres: stopped"
  exit 0
fi

dir=$(mktemp -d /tmp/taxbridge-pg.XXXXXX)
chmod 755 "$dir"
mkdir "$dir/data" "$dir/socket"
[ "$(id -u)" -eq 0 ] && chown -R postgres:postgres "$dir"

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()')

"${runas[@]}" "$bindir/initdb" -D "$dir/data" -U "$dbuser" --auth=trust --encoding=UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
  || { cat "$dir/initdb.log" >&2; exit 1; }
"${runas[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
  -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir/socket -c fsync=off -c max_connections=100" \
  start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
"${runas[@]}" "$bindir/createdb" -h "$dir/socket" -p "$port" -U "$dbuser" taxbridge_test

conn="host=$dir/socket port=$port dbname=taxbridge_test user=$dbuser"
mkdir -p "$(dirname "$envfile")"
cat >"$envfile" <<ENV
export TAXBRIDGE_TEST_PG='$conn'
export TAXBRIDGE_TEST_PG_DIR='$dir'
ENV
echo "start-postgres: PostgreSQL running; connection: $conn (written to $envfile)"
