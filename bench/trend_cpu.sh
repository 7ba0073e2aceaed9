#!/usr/bin/env bash
# The window's CPU while the trend samples: `vantrel --demo --open-trend` on
# Qt's offscreen platform (the demo's simulated line paced at 1200 baud runs
# in the same process and is counted with it), its user and system time from
# /proc/PID/stat over SECONDS_TREND s (default 30) after WARMUP s (default
# 5) of start-up. Prints the share of one core and exits 1 above the goal
# of 5 %. Run after a build (dev preset; BUILD_DIR=... for another).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/dev}
seconds=${SECONDS_TREND:-30}
warmup=${WARMUP:-5}
fresh=$(mktemp -d)
app=
trap '[ -n "$app" ] && kill "$app" 2>/dev/null; wait 2>/dev/null; rm -rf "$fresh"' EXIT

env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$fresh/config" XDG_DATA_HOME="$fresh/data" \
  "$build/src/app/vantrel" --demo --lang zh --open-trend >/dev/null 2>&1 &
app=$!
# Clock ticks of user and system time: fields 14 and 15, counted after the
# command name's closing parenthesis.
ticks() { sed 's/^.*) //' "/proc/$app/stat" | awk '{ print $12 + $13 }'; }
sleep "$warmup"
kill -0 "$app" || { echo "FAILED: vantrel ended at start"; exit 1; }
t0=$(ticks)
sleep "$seconds"
t1=$(ticks)
hz=$(getconf CLK_TCK)
share=$(awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "%.2f", (b - a) / hz / s * 100 }')
echo "window with the trend open (vantrel --demo --open-trend, offscreen), ${seconds} s:"
echo "  $share % of a core (goal under 5 %)"
awk -v c="$share" 'BEGIN { exit !(c < 5) }' || { echo "  FAILED: 5 % or more"; exit 1; }
