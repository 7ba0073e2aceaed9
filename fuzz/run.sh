#!/usr/bin/env bash
# Runs every fuzz target for a bounded time (default 60 s each) from its seed
# corpus, two at a time (VANTREL_FUZZ_JOBS) since each uses one core. New
# inputs go to a scratch folder; the seeds in the repository stay as they
# are. A crash, a sanitizer report or a time-out fails the run and leaves the
# input in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
jobs=${VANTREL_FUZZ_JOBS:-2}
bin=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"

# One target; its verdict goes to its .result file, printed in order below.
fuzz_one() {
  local target=$1 scratch log runs
  scratch=$(mktemp -d)
  log="$findings/$target.log"
  if "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$findings/$target-" \
       "$scratch" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz_$target: ${seconds} s, ${runs:-?} inputs, no finding" >"$findings/$target.result"
  else
    {
      echo "fuzz_$target: FINDING, see $log"
      grep -E 'ERROR|SUMMARY' "$log" | head -5 || true
    } >"$findings/$target.result"
  fi
  rm -rf "$scratch"
}

targets=(receiver engine_replies text_parsers sim_requests hartip_messages)
running=0
for target in "${targets[@]}"; do
  rm -f "$findings/$target.result"
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
  fuzz_one "$target" &
  running=$((running + 1))
done
wait

failed=0
passed=0
for target in "${targets[@]}"; do
  result="$findings/$target.result"
  if [ -f "$result" ] && grep -q "no finding" "$result"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  cat "$result" 2>/dev/null || echo "fuzz_$target: no verdict, see $findings/$target.log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
