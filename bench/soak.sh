#!/usr/bin/env bash
# Runs 10 000 operations through the command-line session against the
# simulated instrument and prints failures and peak memory at 1 000 and
# 10 000 operations. Run after a build (dev preset; the release preset gives
# the optimised figure).
set -euo pipefail
cd "$(dirname "$0")/.."
"${BUILD_DIR:-build/dev}/bench/vantrel-soak" "${1:-10000}"
