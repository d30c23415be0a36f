#!/usr/bin/env bash
# Installs what is missing, builds the native, fuzzing, x64 and x86 targets, and runs every
# test: the native tests and the fuzz targets (for a bounded time each) directly, the x64
# Windows tests under Wine on a private X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/setup.sh"

cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build/host" -j2
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build/fuzz" -DQOR_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build/fuzz" -j2
for arch in x64 x86; do
  cmake -S "$root" -B "$build/$arch" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=env;LC_ALL=ja_JP.UTF-8;wine" >/dev/null
  cmake --build "$build/$arch" -j2
done

ctest --test-dir "$build/host" --output-on-failure
ctest --test-dir "$build/fuzz" --output-on-failure

. "$root/scripts/wine-env.sh" "$build/wineprefix"
trap stopWineEnv EXIT
startWineEnv
ctest --test-dir "$build/x64" --output-on-failure
