#!/usr/bin/env bash
# Samples per second of the trend's sampling run at 1200 baud: `vantrel-cli
# watch --interval-ms 0` against `vantrel-sim --line-rate` (a HART 5
# instrument at polling address 0, each byte paced at 11 bits), the rate
# taken between the first and the last of COUNT samples (default 41) from
# their printed times, so that process start-up and command 0 cancel. The
# line's ceiling: a 19-byte request and a 40-byte reply take 541 ms, 1.85 a
# second. Prints the minimum, median and maximum of RUNS runs (default 3)
# and exits 1 when the median is under the goal of 1.8 a second or a run
# fails. Run after a build (dev preset; BUILD_DIR=... for another).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/dev}
runs=${RUNS:-3}
count=${COUNT:-41}
cli="$build/src/cli/vantrel-cli"
out=$(mktemp)
. bench/sim.sh
trap 'stop_sim; rm -f "$out" "$out.csv"' EXIT

status=0
rates=()
for _ in $(seq "$runs"); do
  : >"$out"
  "$build/src/sim/vantrel-sim" --line-rate >"$out" 2>/dev/null &
  sim=$!
  for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
  port=$(head -n1 "$out")
  rc=0
  timeout $((count + 30)) "$cli" --port "$port" watch --csv --interval-ms 0 --count "$count" \
    >"$out.csv" 2>/dev/null || rc=$?
  stop_sim
  lines=$(($(wc -l <"$out.csv") - 1))
  if [ "$rc" -ne 0 ] || [ "$lines" -ne "$count" ]; then
    echo "  FAILED: exit $rc, $lines samples of $count"
    status=1
    continue
  fi
  rates+=("$(awk -F, -v n="$count" 'NR == 2 { a = $1 } NR == n + 1 { b = $1 }
    END { printf "%.3f", (n - 1) * 1000 / (b - a) }' "$out.csv")")
done
[ "${#rates[@]}" -gt 0 ] || exit 1
stats=$(printf '%s\n' "${rates[@]}" | sort -g | awk '
  { v[NR] = $1 }
  END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "min %.3f, median %.3f, max %.3f", v[1], m, v[NR]
  }')
echo "samples per second at 1200 baud (watch --interval-ms 0, HART 5, $count samples), $runs runs:"
echo "  $stats (goal at least 1.8; the line's ceiling 1.85)"
median=$(sed 's/.*median \([0-9.]*\).*/\1/' <<<"$stats")
awk -v m="$median" 'BEGIN { exit !(m >= 1.8) }' || { echo "  FAILED: median under 1.8"; status=1; }
exit "$status"
