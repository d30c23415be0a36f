#!/usr/bin/env bash
# Renders the settings dialog (its four tabs, small and large, in Japanese and in English; its
# first tab also at 144 DPI and in code page 1252), both tray menus of Qor.exe (in English too;
# the right one also in code page 1252), its welcome balloon and the installer's options page
# (both in English too) and, at 96 and 144 DPI, the tray icon and the gesture cursors under
# Wine on a private X display into docs/screenshots/. The Wine prefix is made to look like a
# Japanese Windows: Japanese fonts for menus and captions, Wine's caption buttons, windows drawn
# by Wine itself (there is no window manager).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}/x64  # the build folder may be given
out=$root/docs/screenshots
"$root/scripts/setup.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x64.cmake" \
  "-DCMAKE_CROSSCOMPILING_EMULATOR=env;LC_ALL=ja_JP.UTF-8;LOCPATH=$root/build/locale;wine" >/dev/null
cmake --build "$build" -j2 --target Qor qor_screenshot_helper installer
bin=$build/bin

. "$root/scripts/wine-env.sh" "$build/screenshots-prefix"
trap stopWineEnv EXIT
startWineEnv

useJapaneseUiFont
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
wineserver -w

helper() { wineJa "$bin/qor_screenshot_helper.exe" "$@"; }
shot() { import -window root -crop "$1" +repage -strip "$out/$2.png"; }

mkdir -p "$out"
# The welcome of a user's first start, in the balloon of Wine's taskbar.
helper store 0
wine reg delete 'HKCU\software\Tesk\Qor' /v Welcomed /f >/dev/null
wineJa "$bin/Qor.exe" &
qor=$!
shot "$(helper balloon)" welcome
helper exit
wait $qor
for size in small large; do
  helper store $([ $size = small ] && echo 0 || echo 1)
  wineJa "$bin/Qor.exe" &
  qor=$!
  shot "$(helper dialog)" "settings-$size-system"
  shot "$(helper tab 1)" "settings-$size-pan"
  shot "$(helper tab 2)" "settings-$size-scroll"
  shot "$(helper tab 3)" "settings-$size-leftalone"
  helper close
  if [ $size = small ]; then
    shot "$(helper tray left)" tray-left
    helper escape
    helper tray right >/dev/null
    shot "$(helper extras)" tray-right
    helper escape
  fi
  helper exit
  wait $qor
done

# In English, as a Western Windows (code page 1252) shows it with its Language "English": the
# welcome, then the dialog and the menus.
helper store 0 2
wine reg delete 'HKCU\software\Tesk\Qor' /v Welcomed /f >/dev/null
LC_ALL=en_US.UTF-8 wine "$bin/Qor.exe" &
qor=$!
shot "$(helper balloon)" welcome-en
helper exit
wait $qor
for size in small large; do
  helper store $([ $size = small ] && echo 0 || echo 1) 2
  LC_ALL=en_US.UTF-8 wine "$bin/Qor.exe" &
  qor=$!
  shot "$(helper dialog)" "settings-$size-system-en"
  shot "$(helper tab 1)" "settings-$size-pan-en"
  shot "$(helper tab 2)" "settings-$size-scroll-en"
  shot "$(helper tab 3)" "settings-$size-leftalone-en"
  helper close
  if [ $size = small ]; then
    shot "$(helper tray left)" tray-left-en
    helper escape
    helper tray right >/dev/null
    shot "$(helper extras)" tray-right-en
    helper escape
  fi
  helper exit
  wait $qor
done

# The Japanese dialog and right-button menu on a Western Windows: code page 1252, Language
# "日本語". Such a Windows shows the small dialog's "ＭＳ ゴシック" from its Japanese fonts; here
# the same font as above.
wineJa reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f >/dev/null
helper store 0 1
LC_ALL=en_US.UTF-8 wine "$bin/Qor.exe" &
qor=$!
shot "$(helper dialog)" settings-small-system-cp1252
helper close
helper tray right >/dev/null
shot "$(helper extras)" tray-right-cp1252
helper escape
helper exit
wait $qor

# The installer's options page, Japanese and English; Wine ends each as the next begins.
wineJa "$bin/QorSetup-x64.exe" &
shot "$(helper setup)" installer
wineserver -k
wineserver -w
LC_ALL=en_US.UTF-8 wine "$bin/QorSetup-x64.exe" &
shot "$(helper setup)" installer-en
# 150 % scaling: the system scales the dialog, Qor being aware of each monitor's DPI.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wineserver -k
wineserver -w
helper store 0
wineJa "$bin/Qor.exe" &
qor=$!
shot "$(helper dialog)" settings-small-system-144dpi
helper close
helper exit
wait $qor

# The tray icon in the taskbar of a Wine desktop window, at 144 and at 96 DPI. No capture shows
# the pointer, and Wine's SetSystemCursor changes nothing, so beside it the icon and the
# cursors of the pan standby (arrow, I-beam, cross) and of a pan are composed over the same
# desktop from the resources' images of the sizes the system takes at that DPI (SM_CXSMICON
# and SM_CXCURSOR: 16 and 32 pixels at 96 DPI, 24 and 48 at 144).
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1280x1024 /f >/dev/null
images=$build/resources
for dpi in 144 96; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
  wineserver -k
  wineserver -w
  wineJa "$bin/Qor.exe" &
  qor=$!
  sleep 5  # the taskbar shows the icon a moment after Qor has started
  shot 72x40+1208+984 "tray-icon-${dpi}dpi"
  size=$((dpi / 3))
  icon=$([ $dpi = 96 ] && echo 3 || echo 1)    # mouse.ico holds 32, 24, 20 and 16 pixels
  cursor=$([ $dpi = 96 ] && echo 0 || echo 1)  # each .cur holds 32, 48 and 64 pixels
  layers=("$images/icons/mouse.ico[$icon]" -geometry +8+$((size / 2)) -composite)
  x=$((dpi / 6 + 16))
  for id in 266 267 271 260; do
    layers+=("$images/cursors/$id.cur[$cursor]" -geometry +$x+8 -composite)
    x=$((x + size + 12))
  done
  shot ${x}x$((size + 16))+40+40 "cursors-${dpi}dpi"
  convert "$out/cursors-${dpi}dpi.png" "${layers[@]}" -strip "$out/cursors-${dpi}dpi.png"
  helper exit
  wait $qor
done
ls -l "$out"
