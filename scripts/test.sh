#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the normal
# build, the core's tests built for Windows and run under wine, the same tests
# as the normal build under the address/undefined-behaviour and the thread
# sanitizers, and every fuzz target for a bounded time.
# VANTREL_QUICK=1 runs the normal build's tests only. A throw-away PostgreSQL
# cluster, started first, serves the record store's team-database tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

suites=0
run_suite() {
  local preset=$1
  echo "=== $preset: build"
  bash scripts/build.sh "$preset" >"build/$preset-build.log" 2>&1 ||
    { tail -50 "build/$preset-build.log"; return 1; }
  echo "=== $preset: tests"
  ctest --preset "$preset"
  suites=$((suites + 1))
}

# The core and the device model cross-compiled with mingw-w64, their tests run
# under wine. One wine server serves the whole stage: without it every test
# case starts its own (seconds each). It and the services wineboot starts get
# /dev/null as their streams, since a wine process holding a pipe of ctest's or
# ninja's open would keep them waiting for ever. The EXIT trap stops it on
# every way out of the script. Now and then wine fails to start a test
# process at all (no output, 0.00 s); the stage's test preset runs a failed
# test once more, so that only a test that fails twice fails the stage. The
# same tests run in every other stage without a second chance.
wine_started=0
stop_wine() {
  if [ "$wine_started" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    wine_started=0
  fi
}

# A throw-away PostgreSQL 15 cluster for the record store's team-database
# tests (VANTREL_TEST_PG): in a temporary folder, listening on a Unix socket
# in that folder only, run as `postgres` when the script runs as root (initdb
# refuses root). It serves every stage that follows and is stopped and
# removed on every way out of the script. Without PostgreSQL's programs those
# tests are skipped.
pg_bin=/usr/lib/postgresql/15/bin
pg_dir=""
pg_started=0
pg_as=()
start_postgres() {
  if [ ! -x "$pg_bin/initdb" ] || [ ! -x "$pg_bin/pg_ctl" ]; then
    echo "=== postgresql: $pg_bin not found, the PostgreSQL rows of the record tests will be skipped"
    return 0
  fi
  local user
  user=$(id -un)
  pg_dir=$(mktemp -d /tmp/vantrel-pg.XXXXXX)
  if [ "$(id -u)" -eq 0 ]; then
    user=postgres
    chown "$user:" "$pg_dir"
    pg_as=(runuser -u "$user" --)
  fi
  "${pg_as[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -A trust -U "$user" -E UTF8 --no-locale \
    >"$pg_dir/initdb.log" 2>&1 || { cat "$pg_dir/initdb.log"; return 1; }
  "${pg_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w \
    -o "-c listen_addresses='' -c unix_socket_directories=$pg_dir" start >/dev/null ||
    { cat "$pg_dir/server.log"; return 1; }
  pg_started=1
  "${pg_as[@]}" "$pg_bin/createdb" -h "$pg_dir" -U "$user" vantrel_test
  export VANTREL_TEST_PG="postgresql://$user@${pg_dir//\//%2F}/vantrel_test"
  echo "=== postgresql: cluster started, VANTREL_TEST_PG=$VANTREL_TEST_PG"
}
stop_postgres() {
  if [ "$pg_started" = 1 ]; then
    "${pg_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m fast -w stop >/dev/null 2>&1 || true
    pg_started=0
  fi
  if [ -n "$pg_dir" ]; then
    rm -rf "$pg_dir"
    pg_dir=""
  fi
}

stop_all() {
  stop_wine
  stop_postgres
}
trap stop_all EXIT

run_windows_core() {
  export WINEPREFIX="$PWD/build/windows-core/wineprefix" WINEDEBUG=-all
  mkdir -p "$WINEPREFIX"
  wineserver -k >/dev/null 2>&1 || true # one left over from an interrupted run
  setsid wineserver -p </dev/null >/dev/null 2>&1
  wine_started=1
  wine wineboot --init </dev/null >/dev/null 2>&1
  echo "=== windows-core: build"
  bash scripts/build.sh windows-core >build/windows-core-build.log 2>&1 ||
    { tail -50 build/windows-core-build.log; return 1; }
  echo "=== windows-core: tests"
  ctest --preset windows-core
  stop_wine
  suites=$((suites + 1))
}

mkdir -p build
start_postgres
run_suite dev
if [ "${VANTREL_QUICK:-0}" = 1 ]; then
  echo "=== windows-core: skipped (VANTREL_QUICK=1)"
else
  run_windows_core
  run_suite asan
  run_suite tsan
  echo "=== fuzz: build"
  bash scripts/build.sh fuzz >build/fuzz-build.log 2>&1 || { tail -50 build/fuzz-build.log; exit 1; }
  bash fuzz/run.sh "${VANTREL_FUZZ_SECONDS:-60}"
  suites=$((suites + 1))
fi
echo "suites: $suites passed, 0 failed"
