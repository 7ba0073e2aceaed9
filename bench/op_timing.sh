#!/usr/bin/env bash
# Prints, for every operation, the time from start to final status against
# the simulated instrument paced at 1200 baud and the time its bytes need on
# the line; then the receiver's throughput. Builds the optimised measurement
# programs first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
cmake -S . -B "$build" -G Ninja -DVANTREL_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target vantrel-op-timing vantrel-bench-receiver >/dev/null
"$build/bench/vantrel-op-timing"
echo
"$build/bench/vantrel-bench-receiver" --benchmark_counters_tabular=true
