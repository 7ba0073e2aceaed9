#!/usr/bin/env bash
# Builds the Debian package build/release/package/vantrel_<version>_amd64.deb
# from the release preset and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if ! command -v lintian >/dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends lintian
fi
bash scripts/build.sh release
rm -rf build/release/package
(cd build/release && cpack -G DEB)
deb=$(ls build/release/package/vantrel_*_amd64.deb)
# lintian exits non-zero on an error; warnings are shown but do not fail.
lintian --info "$deb"
echo "Built $deb"
