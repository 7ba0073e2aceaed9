#!/usr/bin/env bash
# Times a full device search and a single read against the simulated
# instrument paced at the real line rate (1200 baud, 11 bits a byte), and
# compares the read with the time its bytes need on the line. Run after a
# build (dev preset). Figures, not a test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/dev}
out=$(mktemp)
"$build/src/sim/vantrel-sim" --line-rate --devices 2,10 >"$out" 2>/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$out" "$out.trace"' EXIT
for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
port=$(head -n1 "$out")
cli="$build/src/cli/vantrel-cli"

ms() { date +%s%3N; }

t0=$(ms)
"$cli" --port "$port" search >/dev/null
t1=$(ms)
echo "full search (addresses 0-14, devices at 2 and 10): $((t1 - t0)) ms (expected about 15000 ms)"

t0=$(ms)
"$cli" --port "$port" --address 2 --trace read-current >/dev/null 2>"$out.trace"
t1=$(ms)
# Bytes on the line: each request adds 7 preambles and 3 trailing bytes to
# the frame the trace shows, each reply the simulated device's 5 preambles.
read -r sent received < <(awk -F' \\| ' '
  { n = split($NF, b, " ") }
  /发送/ { s += n + 10 }
  /接收/ { r += n + 5 }
  END { print s, r }' "$out.trace")
byte_us=$((11000000 / 1200))
echo "read-current: $((t1 - t0)) ms for the whole command (process start included)"
echo "  bytes on the line: $sent sent, $received received"
echo "  all bytes at 1200 baud: $(((sent + received) * byte_us / 1000)) ms (the simulator is a"
echo "  half-duplex line: requests take their line time too, no turnaround here)"
