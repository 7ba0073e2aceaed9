#!/usr/bin/env bash
# Times the fast search (one probe per address, an empty address given up 28
# character times, 256.7 ms, after the probe's last byte) against the
# simulated instruments paced at the real line rate (1200 baud, 11 bits a
# byte):
#   1. the cost of one empty address: a search of the empty addresses 20 to 39
#      less a search of address 20 alone, over 19, so process start-up cancels;
#   2. a whole fast search of addresses 0 to 63 with instruments at 0 and 40,
#      which must name both.
# Each run has a simulator of its own. Prints the minimum, median and maximum
# of RUNS runs (default 3) beside the goals, and exits 1 when a median misses
# its goal or a run fails (wrong result, or no end within its time bound).
# Run after a build (dev preset). About 100 s with 3 runs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/dev}
runs=${RUNS:-3}
cli="$build/src/cli/vantrel-cli"
devices=0,40:hart7
out=$(mktemp)
. bench/sim.sh
trap 'stop_sim; rm -f "$out" "$out.json"' EXIT

start_sim() {
  : >"$out"
  "$build/src/sim/vantrel-sim" --line-rate --devices "$devices" >"$out" 2>/dev/null &
  sim=$!
  for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
  port=$(head -n1 "$out")
}

ms() { date +%s%3N; }

# search ARGS...: runs one fast search with a time bound of $bound s; sets
# elapsed (ms), found (the addresses of its JSON "found" list) and rc.
search() {
  local t0 t1
  t0=$(ms)
  rc=0
  timeout "$bound" "$cli" --port "$port" --json search "$@" --fast >"$out.json" 2>/dev/null || rc=$?
  t1=$(ms)
  elapsed=$((t1 - t0))
  found=$(sed -n 's/.*"found": \[\([^]]*\)\].*/\1/p' "$out.json" | tr -d ' ')
}

# stats VALUES...: "min A, median B, max C".
stats() {
  printf '%s\n' "$@" | sort -g | awk '
    { v[NR] = $1 }
    END {
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "min %.1f, median %.1f, max %.1f", v[1], m, v[NR]
    }'
}
median() { stats "$@" | sed 's/.*median \([0-9.]*\).*/\1/'; }
within() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }

status=0
fail() {
  echo "  FAILED: $*"
  status=1
}

per_address=()
for _ in $(seq "$runs"); do
  start_sim
  bound=10
  search --from 20 --to 20
  [ "$rc" -eq 0 ] && [ -z "$found" ] || fail "address 20 alone: exit $rc, found '$found' after $elapsed ms"
  one=$elapsed
  bound=30
  search --from 20 --to 39
  [ "$rc" -eq 0 ] && [ -z "$found" ] || fail "addresses 20-39: exit $rc, found '$found' after $elapsed ms"
  per_address+=("$(awk -v a="$elapsed" -v b="$one" 'BEGIN { printf "%.1f", (a - b) / 19 }')")
  stop_sim
done
echo "empty address in a fast search ((t(20-39) - t(20)) / 19, instruments at 0 and 40), $runs runs:"
echo "  $(stats "${per_address[@]}") ms (goal at most 420 ms; the line's floor with the 15-byte probe 394 ms)"
within "$(median "${per_address[@]}")" 420 || fail "median over 420 ms"

whole=()
for _ in $(seq "$runs"); do
  start_sim
  bound=60
  search --from 0 --to 63
  [ "$rc" -eq 0 ] && [ "$found" = "0,40" ] || fail "addresses 0-63: exit $rc, found '$found' after $elapsed ms"
  whole+=("$elapsed")
  stop_sim
done
echo "whole fast search (addresses 0-63, instruments at 0 and 40, both found), $runs runs:"
echo "  $(stats "${whole[@]}") ms (goal at most 27000 ms; floor about 25200 ms)"
within "$(median "${whole[@]}")" 27000 || fail "median over 27000 ms"

exit "$status"
