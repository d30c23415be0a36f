#!/usr/bin/env bash
# Installs what is missing, builds Qor for 64-bit and 32-bit Windows and puts what a user
# downloads into build/release/: Qor-x64.zip and Qor-x86.zip (the binaries, the help page and
# the readme, in a folder Qor) and the installers QorSetup-x64.exe and QorSetup-x86.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/build.sh" x64 x86

out=$build/release
rm -rf "$out"
mkdir -p "$out"
for arch in x64 x86; do
  bin=$build/$arch/bin
  library=$(sed -n 's/^QOR_LIBRARY_FILE:INTERNAL=//p' "$build/$arch/CMakeCache.txt")
  mkdir -p "$out/$arch/Qor"
  cp "$bin/Qor.exe" "$bin/$library" "$bin/Qor.html" "$bin/readme.txt" "$out/$arch/Qor/"
  (cd "$out/$arch" && zip -qr -X "$out/Qor-$arch.zip" Qor)
  rm -rf "${out:?}/$arch"
  cp "$bin/QorSetup-$arch.exe" "$out/"
done
ls -l "$out"
