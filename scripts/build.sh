#!/usr/bin/env bash
# Installs what is missing and configures and builds the named targets under build/:
# host (native, with tests and benchmarks), fuzz (clang with sanitizers), x64 and x86
# (MinGW-w64). With no names it builds all four.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/setup.sh"

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(host fuzz x64 x86)
for target in "${targets[@]}"; do
  case $target in
    host) cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
    fuzz) CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build/fuzz" -DQOR_FUZZ=ON \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
    x64|x86) cmake -S "$root" -B "$build/$target" -DCMAKE_BUILD_TYPE=MinSizeRel \
               -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$target.cmake" \
               "-DCMAKE_CROSSCOMPILING_EMULATOR=env;LC_ALL=ja_JP.UTF-8;LOCPATH=$build/locale;wine" \
               >/dev/null ;;
    *) echo "build.sh: unknown target $target (host, fuzz, x64, x86)" >&2; exit 2 ;;
  esac
  cmake --build "$build/$target" -j2
done
