#!/usr/bin/env bash
# Installs what is missing, builds Qor for 64-bit Windows and runs it under Wine with things
# to pan: Notepad holding a long text, and the test application (list, tree, scroll bars).
# It uses the current X display, or a private Xvfb when there is none. It runs until Qor
# ends (its tray menu's exit item) or Ctrl+C; either way Wine and the private Xvfb stop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/build.sh" x64
bin=$build/x64/bin

# A Wine prefix of its own, kept between runs: only the first run makes it (about 15 s).
. "$root/scripts/wine-env.sh" "$build/wineprefix-run"
trap stopWineEnv EXIT
trap 'exit 130' INT TERM
if [ -z "${DISPLAY:-}" ]; then
  startXvfb
  echo "No X display: Qor runs on a private Xvfb, DISPLAY=$DISPLAY. To see it:"
  echo "  import -window root -display $DISPLAY qor.png"
fi
[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }

seq -f "%g: right-click here, then move the pointer away to pan; right-click again to stop." \
  1 2000 >"$WINEPREFIX/drive_c/qor-demo.txt"
wineJa notepad 'C:\qor-demo.txt' &
wineJa "$bin/qor_testapp.exe" &
wineJa "$bin/Qor.exe" &
qor=$!
echo "Qor runs. Stop it with Ctrl+C here, or with its tray icon's right-button menu (終了)."
wait $qor
