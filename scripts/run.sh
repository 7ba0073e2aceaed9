#!/usr/bin/env bash
# Installs what is missing, builds, and runs the window program against its
# built-in simulated instruments (polling addresses 0 and 3 on a
# pseudo-terminal inside the process), so every function can be tried without
# a modem.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh dev

exec build/dev/src/app/vantrel --demo "$@"
