#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and this machine
# lacks. Safe to run again: it installs nothing that is already there.
set -euo pipefail
packages=(cmake make g++ mingw-w64 wine wine64 xvfb xauth libgtest-dev googletest
          libbenchmark-dev clang-14 libclang-rt-14-dev fonts-ipafont-gothic python3
          imagemagick nsis zip)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
fi
