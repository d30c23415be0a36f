#!/usr/bin/env bash
# Prints every figure the project measures as one Markdown table, for the README's
# Performance section: the native engine benchmarks (through the fake window system), the
# sizes of both deliverables, and under Wine the latency each mouse event gains with Qor, next
# to no hook and to a minimal forwarding hook, with Qor's idle CPU time and working set.
# Asserts nothing. QOR_PROBE_EVENTS (default 2000) and QOR_IDLE_SECONDS (default 60) set
# the probe's length.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/build.sh" host x64 x86 >/dev/null

echo "| measure | figure | target |"
echo "|---|---|---|"
"$build/host/bench/qor_bench" 2>/dev/null | awk '
  /^classifyOne\/|^movement\/|^buttonEvent/ {
    allocs = $0; sub(/.*allocs_per_[a-z]*=/, "", allocs)
    target = ""
    if ($1 ~ /^classifyOne/) target = "at most 500 ns"
    else if ($1 ~ /^movement/) target = "at most 1 us"
    else target = "at most 200 ns"
    printf "| %s through the fake, per call | %s %s, %s heap allocations | %s |\n", $1, $2, $3, allocs, target
  }'
for arch in x64 x86; do
  for file in Qordll.dll Qor.exe; do
    target=""
    [ "$arch/$file" = x64/Qordll.dll ] && target="at most 32 KB"
    [ "$arch/$file" = x64/Qor.exe ] && target="at most 300 KB"
    echo "| $file ($arch) size | $(stat -c %s "$build/$arch/bin/$file") bytes | $target |"
  done
done

. "$root/scripts/wine-env.sh" "$build/bench-wineprefix"
trap stopWineEnv EXIT
startWineEnv
(cd "$build/x64/bin" && wineJa ./qor_latency_probe.exe "${QOR_PROBE_EVENTS:-2000}" \
  "${QOR_IDLE_SECONDS:-60}")
echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo |
  sed 's/.*: //'), $(wine --version), Xvfb without a window manager."
