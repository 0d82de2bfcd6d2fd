#!/usr/bin/env bash
# Installs everything the build and the tests need from Debian's packages.
# Safe to re-run: packages already present are skipped by apt.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev libgl-dev
  libcurl4-openssl-dev
  nlohmann-json3-dev
  libgtest-dev libgmock-dev
  libcpp-httplib-dev libssl-dev openssl
  xdg-utils
  # The Windows builds and their tests: mingw-w64 with the posix thread model, GoogleTest's sources
  # to build for Windows, and the 64-bit Wine. Not wine32: 32-bit programs cannot execute on these
  # machines, and with wine32 installed the wine wrapper fails for 64-bit programs too.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  googletest
  wine64 wine
  # A virtual display for the Windows programs that make windows under Wine.
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
