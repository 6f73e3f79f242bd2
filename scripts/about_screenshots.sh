#!/usr/bin/env bash
# Pictures of the About box and of its report confirmation box, in English and Japanese,
# from the Windows build under Wine:
#
#   bash scripts/about_screenshots.sh [build-win] [output folder]
#
# Writes about-en.png, about-report-en.png, about-ja.png and about-report-ja.png. Needs
# xvfb-run and ImageMagick's import; the dialog fonts are mapped to IPA fonts in a prefix
# of its own.
set -euo pipefail

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

# shoot_about BUILD_DIR OUTPUT_DIR LANG: one language's two pictures. Expects DISPLAY and
# a WINEPREFIX made ready by prepare_prefix.
shoot_about() {
  local build=$1 out=$2 lang=$3 main about report
  if [[ $lang == ja ]]; then
    main=タイドライト about=バージョン情報 report="環境情報の表示(簡易版)"
  else
    main=Tidewright about=About report=VantoriaLite
  fi
  local probe=("$WINE" "$build/quillon_probe.exe")
  (cd "$build" && QUILLON_LANG=$lang exec "$WINE" quillon.exe >/dev/null 2>&1) &
  local pid=$!
  "${probe[@]}" wait "$main" 60000 >/dev/null
  "${probe[@]}" command "$main" 1015
  "${probe[@]}" wait "$about" 20000 >/dev/null
  sleep 1
  import -window root "$out/about-$lang.png"
  "${probe[@]}" command "$about" 2005
  "${probe[@]}" wait "$report" 20000 >/dev/null
  sleep 1
  import -window root "$out/about-report-$lang.png"
  "${probe[@]}" command "$report" 2
  "${probe[@]}" gone "$report" 10000 >/dev/null
  "${probe[@]}" command "$about" 2
  "${probe[@]}" gone "$about" 10000 >/dev/null
  "${probe[@]}" command "$main" 2
  wait "$pid" 2>/dev/null || true
}

# Maps the dialogs' fonts to the IPA Gothic fonts, for readable Japanese, and puts every
# program into one Wine desktop window, so that the pictures show window frames and the
# probe sees the windows it drives.
prepare_prefix() {
  local font
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
    >/dev/null 2>&1
  for font in 'MS UI Gothic' 'MS Shell Dlg' 'MS Sans Serif'; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d IPAPGothic /f \
      >/dev/null 2>&1
  done
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  build=$(readlink -f "${1:-build-win}")
  out=$(readlink -f "${2:-.}")
  if [[ -z ${QUILLON_SHOTS_UNDER_XVFB:-} ]]; then
    exec env QUILLON_SHOTS_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" \
      "$build" "$out"
  fi
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX=${WINEPREFIX:-$(mktemp -d /tmp/quillon-shots.XXXXXX)/prefix}
  mkdir -p "$out"
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  prepare_prefix
  # The desktop setting takes effect for Wine processes started from now on.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w
  shoot_about "$build" "$out" en
  shoot_about "$build" "$out" ja
  "$WINESERVER" -k >/dev/null 2>&1 || true
  echo "pictures in $out"
fi
