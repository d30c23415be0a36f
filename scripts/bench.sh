#!/usr/bin/env bash
# Prints every figure the project measures as one Markdown table, for the README's
# Performance section: the native engine benchmarks (through the fake window system), the
# sizes of both deliverables, and under Wine the latency each mouse event gains with Qor, next
# to no hook and to a minimal forwarding hook, with Qor's working set; and, measured from
# outside (/proc of the Linux process that runs Qor.exe and of the wineserver), Qor's CPU time
# and wakeups while idle and while the pointer moves. Asserts nothing. QOR_PROBE_EVENTS
# (default 2000; 0 skips the latency probe) and QOR_IDLE_SECONDS (default 60) set the lengths.
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
  library=$(sed -n 's/^QOR_LIBRARY_FILE:INTERNAL=//p' "$build/$arch/CMakeCache.txt")
  for file in "$library" Qor.exe; do
    target=""
    [ "$arch/$file" = "x64/$library" ] && target="at most 32 KB"
    [ "$arch/$file" = x64/Qor.exe ] && target="at most 300 KB"
    echo "| $file ($arch) size | $(stat -c %s "$build/$arch/bin/$file") bytes | $target |"
  done
done

. "$root/scripts/wine-env.sh" "$build/bench-wineprefix"
trap stopWineEnv EXIT
startWineEnv
probe() { (cd "$build/x64/bin" && wineJa ./qor_latency_probe.exe "$@"); }
[ "${QOR_PROBE_EVENTS:-2000}" -gt 0 ] && probe "${QOR_PROBE_EVENTS:-2000}"

# CPU from outside: clock ticks of a Linux process (all its threads), and its threads'
# voluntary context switches (each a wakeup).
hz=$(getconf CLK_TCK)
idle=${QOR_IDLE_SECONDS:-60}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wakeups() { cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}'; }
# The process of this run's prefix whose command line matches pattern (other prefixes may run
# too); the newest, since a wineserver of the prefix may still be on its way out.
ofPrefix() {
  for p in $(pgrep -f "$1" | sort -rn); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      { echo "$p"; return 0; }
  done
  return 0
}
percent() { awk -v t="$1" -v s="$2" -v hz="$hz" 'BEGIN {printf "%.3f", 100 * t / hz / s}'; }
# The prefix's wineserver and desktop run on for the baseline, as they do beside Qor. A server
# started by a program quits with its last client, and a running one cannot be made persistent:
# end it and start one that stays.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
probe command 0 || true
server=$(ofPrefix 'wineserver')
s0=$(ticks "$server"); sleep "$idle"; s1=$(ticks "$server")
serverAlone=$((s1 - s0))
(cd "$build/x64/bin" && wineJa ./Qor.exe) &
qorRun=$!
for _ in $(seq 100); do qor=$(ofPrefix 'Qor\.exe'); [ -n "$qor" ] && break; sleep 0.2; done
sleep 5  # started, hooks installed
q0=$(ticks "$qor"); s0=$(ticks "$server"); w0=$(wakeups "$qor")
sleep "$idle"
q1=$(ticks "$qor"); s1=$(ticks "$server"); w1=$(wakeups "$qor")
echo "| Qor's process over $idle idle seconds (/proc) | $(percent $((q1 - q0)) "$idle") % of one core | |"
echo "| the wineserver over $idle seconds, with Qor idle / without Qor | $(percent $((s1 - s0)) "$idle") % / $(percent "$serverAlone" "$idle") % | |"
echo "| Qor idle with its share of the wineserver | $(percent $((q1 - q0 + s1 - s0 - serverAlone)) "$idle") % of one core | at most 0.05 % |"
echo "| Qor's wakeups a second while idle (its threads' voluntary context switches) | $(awk -v w=$((w1 - w0)) -v s="$idle" 'BEGIN {printf "%.2f", w / s}') | 0 |"
for state in "in standby" "standby off"; do
  [ "$state" = "standby off" ] && probe command 123 && sleep 1  # the tray's standby command
  q0=$(ticks "$qor"); s0=$(ticks "$server")
  probe move 10
  q1=$(ticks "$qor"); s1=$(ticks "$server")
  echo "| Qor's process while the pointer moves 1000 times a second for 10 s, $state | $(percent $((q1 - q0)) 10) % of one core (wineserver $(percent $((s1 - s0)) 10) %) | |"
done
probe command 0
wait "$qorRun"  # not the X server, which runs until the end
echo
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo |
  sed 's/.*: //'), $(wine --version), Xvfb without a window manager."
