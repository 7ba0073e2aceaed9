#!/usr/bin/env bash
# Start-up time of the window program: from the process's start to the first
# paint of its main window, with the built-in simulated instruments, under a
# virtual X server. Five runs of the optimised build, then the median.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v xvfb-run >/dev/null || ! command -v xauth >/dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends xvfb xauth
fi
build=build/bench
cmake -S . -B "$build" -G Ninja -DVANTREL_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target vantrel >/dev/null
times=()
for _ in 1 2 3 4 5; do
  line=$(xvfb-run -a env QT_QPA_PLATFORM=xcb "$build/src/app/vantrel" --demo --exit-after-first-paint 2>/dev/null)
  echo "$line"
  times+=("$(echo "$line" | awk '{print $7}')")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "start-up to first paint: median ${median} ms of 5 runs (target under 1000 ms)"
