#!/usr/bin/env bash
# Builds the window program and saves a picture of each page and dialog into
# docs/screenshots/, taken from `vantrel --demo` under a virtual X server, and
# the configuration page once more in English (page-2-conf-en.png).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh dev

if ! command -v Xvfb >/dev/null || ! command -v xauth >/dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends xvfb xauth
fi

out=docs/screenshots
mkdir -p "$out"
# The program reads the simulated instruments, grabs each page and ends.
shoot() {
  xvfb-run -a -s "-screen 0 1366x768x24" \
    env QT_QPA_PLATFORM=xcb build/dev/src/app/vantrel --demo "$@"
}
shoot --lang zh --screenshot-dir "$out"
english=$(mktemp -d)
trap 'rm -rf "$english"' EXIT
shoot --lang en --screenshot-dir "$english"
cp "$english/page-2-conf.png" "$out/page-2-conf-en.png"
ls -l "$out"
