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

# A Wine prefix of its own, kept between runs: only the first run makes it (about 20 s), with
# Japanese menus and captions, a desktop with a taskbar and Notepad beside the test application.
. "$root/scripts/wine-env.sh" "$build/wineprefix-demo"
trap stopWineEnv EXIT
trap 'exit 130' INT TERM
if [ -z "${DISPLAY:-}" ]; then
  startXvfb
  echo "No X display: Qor runs on a private Xvfb, DISPLAY=$DISPLAY. To see it:"
  echo "  import -window root -display $DISPLAY qor.png"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  useJapaneseUiFont
  # One desktop window with a taskbar, whose tray shows Qor's icon, as on Windows.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1280x1024 /f >/dev/null
  # Notepad right of the test application's two windows (at 0 and 660, 640 and 300 wide).
  for place in iWindowPosX=970 iWindowPosY=0 iWindowPosDX=300 iWindowPosDY=480; do
    wine reg add 'HKCU\Software\Microsoft\Notepad' /v "${place%=*}" /t REG_DWORD \
      /d "${place#*=}" /f >/dev/null
  done
  wineserver -w
fi

seq -f "%g: right-click here, then move the pointer away to pan; right-click again to stop." \
  1 2000 >"$WINEPREFIX/drive_c/qor-demo.txt"
wineJa notepad 'C:\qor-demo.txt' &
wineJa "$bin/qor_testapp.exe" &
wineJa "$bin/Qor.exe" &
qor=$!
echo "Qor runs. Stop it with Ctrl+C here, or with its tray icon's right-button menu (終了)."
wait $qor
