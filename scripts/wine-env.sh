# Sourced by the scripts that run Windows binaries: a Wine prefix and an X display that
# belong to this run. Sets WINEPREFIX and DISPLAY; stopWineEnv ends both. Windows programs
# run as `wineJa PROGRAM`, so Wine works in code page 932.
wineEnvPrefix=$1
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

wineJa() { LC_ALL=ja_JP.UTF-8 wine "$@"; }
