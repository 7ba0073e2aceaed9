#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the normal
# build, the same tests under the address/undefined-behaviour and the thread
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

mkdir -p build
run_suite dev
if [ "${VANTREL_QUICK:-0}" != 1 ]; then
  run_suite asan
  run_suite tsan
  echo "=== fuzz: build"
  bash scripts/build.sh fuzz >build/fuzz-build.log 2>&1 || { tail -50 build/fuzz-build.log; exit 1; }
  bash fuzz/run.sh "${VANTREL_FUZZ_SECONDS:-60}"
  suites=$((suites + 1))
fi
echo "suites: $suites passed, 0 failed"
