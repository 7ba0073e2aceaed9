#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, if any are
# missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev googletest
  g++-mingw-w64-x86-64-posix wine wine64
  clang libclang-rt-14-dev
  fonts-noto-cjk
  dpkg-dev file
  libqt6sql6-sqlite libqt6sql6-psql postgresql
  poppler-utils fonts-dejavu-core
  libssl-dev
)

missing=()
for pkg in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
