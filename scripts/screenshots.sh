#!/usr/bin/env bash
# Builds the window program and saves a picture of each page and dialog into
# docs/screenshots/ (the journal viewer and the screen with the monitor open
# among them), taken from `vantrel --demo` under a virtual X server, and the
# configuration page once more in English (page-2-conf-en.png).
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
# The program reads the simulated instruments, grabs each page and ends; on a
# 1366 x 768 laptop screen, with fresh settings and an empty journal.
shoot() {
  local fresh
  fresh=$(mktemp -d)
  xvfb-run -a -s "-screen 0 1366x768x24" \
    env QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$fresh/config" XDG_DATA_HOME="$fresh/data" \
    build/dev/src/app/vantrel --demo "$@"
  rm -rf "$fresh"
}
shoot --lang zh --screenshot-dir "$out"
english=$(mktemp -d)
trap 'rm -rf "$english"' EXIT
shoot --lang en --screenshot-dir "$english"
cp "$english/page-2-conf.png" "$out/page-2-conf-en.png"
ls -l "$out"
