#!/usr/bin/env bash
# Installs what is missing, builds the native, fuzzing, x64 and x86 targets, and runs every
# test: the native tests and the fuzz targets (for a bounded time each) directly, the x64
# Windows tests under Wine on a private X display. The x86 build is compiled, not run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/build.sh"

ctest --test-dir "$build/host" --output-on-failure
ctest --test-dir "$build/fuzz" --output-on-failure

. "$root/scripts/wine-env.sh" "$build/wineprefix"
trap stopWineEnv EXIT
startWineEnv
ctest --test-dir "$build/x64" --output-on-failure
