#!/usr/bin/env bash
# Prints the CPU time the program's link uses in 10 s of idle line with the
# port open, against the simulated instrument. Run after a build (dev preset).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/dev}
"$build/src/sim/vantrel-sim" > /tmp/vantrel-bench-sim.txt &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s /tmp/vantrel-bench-sim.txt ] && break; sleep 0.1; done
port=$(head -n1 /tmp/vantrel-bench-sim.txt)
"$build/bench/vantrel-idle-cpu" --port "$port" --seconds "${SECONDS_IDLE:-10}"
