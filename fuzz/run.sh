#!/usr/bin/env bash
# Runs every fuzz target for a bounded time (default 60 s each) from its seed
# corpus. New inputs go to a scratch folder; the seeds in the repository stay
# as they are. A crash, a sanitizer report or a time-out fails the run and
# leaves the input in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bin=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"
failed=0
passed=0
for target in receiver engine_replies text_parsers sim_requests hartip_messages; do
  scratch=$(mktemp -d)
  log="$findings/$target.log"
  if "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$findings/$target-" \
       "$scratch" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz_$target: ${seconds} s, ${runs:-?} inputs, no finding"
    passed=$((passed + 1))
  else
    echo "fuzz_$target: FINDING, see $log"
    grep -E 'ERROR|SUMMARY' "$log" | head -5 || true
    failed=$((failed + 1))
  fi
  rm -rf "$scratch"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
