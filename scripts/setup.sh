#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and this machine
# lacks, and makes the Japanese locale that Wine runs in under build/locale. Safe to run
# again: it installs and makes nothing that is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(cmake make g++ mingw-w64 wine wine64 xvfb xauth libgtest-dev googletest
          libbenchmark-dev clang-14 libclang-rt-14-dev fonts-ipafont-gothic python3
          imagemagick nsis zip locales)
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

# Wine takes its code page from the locale (932 for ja_JP) and writes file names in the
# locale's character set: only a generated locale gives both code page 932 and names of any
# characters. Made here, not in the system, for the Windows programs alone (LOCPATH).
locales=$root/build/locale
if [ ! -d "$locales/ja_JP.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8"
fi
