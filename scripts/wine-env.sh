# Sourced by the scripts that run Windows binaries: a Wine prefix and an X display that
# belong to this run. Sets WINEPREFIX and DISPLAY; stopWineEnv ends both. Windows programs
# run as `wineJa PROGRAM`, so Wine works in code page 932, in the Japanese locale that
# scripts/setup.sh makes.
wineEnvPrefix=$1
wineEnvLocales=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/locale
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX=$wineEnvPrefix
xvfbPid=""

startXvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfbPid=$!
  read -r display <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$display"
}

startWineEnv() {
  startXvfb
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
}

stopWineEnv() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null || true
}

wineJa() { LC_ALL=ja_JP.UTF-8 LOCPATH=$wineEnvLocales wine "$@"; }

# Menus and captions in a font with Japanese glyphs, as "MS UI Gothic" is on a Japanese
# Windows: a LOGFONTW of 9 points, Shift-JIS, face "IPAPGothic"; and Wine's caption buttons.
useJapaneseUiFont() {
  local uiFont name
  uiFont=$(python3 -c "
import struct
face = 'IPAPGothic'.encode('utf-16-le').ljust(64, b'\0')
print((struct.pack('<5l8B', -12, 0, 0, 0, 400, 0, 0, 0, 128, 0, 0, 0, 0) + face).hex())")
  for name in MenuFont CaptionFont SmCaptionFont StatusFont MessageFont IconFont; do
    wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v $name /t REG_BINARY /d "$uiFont" /f >/dev/null
  done
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}
