#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the normal
# build, the core's tests built for Windows and run under wine, the same tests
# as the normal build under the address/undefined-behaviour and the thread
# sanitizers, and every fuzz target for a bounded time.
# VANTREL_QUICK=1 runs the normal build's tests only.
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
# every way out of the script.
wine_started=0
stop_wine() {
  if [ "$wine_started" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    wine_started=0
  fi
}
trap stop_wine EXIT

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
