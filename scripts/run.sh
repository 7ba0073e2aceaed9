#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program against its built-in
# simulated instrument: vantrel-sim serves a HART device on a pseudo-terminal
# and the link demo sends it command 0 and prints the decoded reply.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh dev

bin=build/dev/src
out=$(mktemp)
"$bin/sim/vantrel-sim" --line-rate --turnaround-ms 20 >"$out" &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$out"' EXIT
for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
port=$(head -n1 "$out")
echo "Simulated instrument on $port"
"$bin/cli/vantrel-linkdemo" --port "$port" --trace "$@"
