#!/usr/bin/env bash
# Renders the README's pictures of the Windows program into docs/, under Wine inside an X
# server of its own (xvfb-run), in a fresh Wine prefix with the dialog fonts mapped to
# installed Japanese fonts and a Wine virtual desktop so that frames and captions are drawn.
# Each picture is cropped to its window.
#
#   bash scripts/screenshots.sh [build-win] [picture...]
#
# Pictures: main_en main_ja main_ja_banner main_widened tooltip results about_en about_ja
# main_dark_en main_dark_ja message_box_dark about_dark_en about_dark_ja (default: all).
# A new picture is one more shot_<name> function below and its name in PICTURES.
# Needs the Windows build (quillon.exe, quillon_probe.exe), wine64, xvfb-run, xdotool,
# ImageMagick and fonts-ipafont-gothic, fonts-wine.
set -euo pipefail

PICTURES=(main_en main_ja main_ja_banner main_widened tooltip results about_en about_ja
  main_dark_en main_dark_ja message_box_dark about_dark_en about_dark_ja)

cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
build=${1:-build-win}
[[ $# -gt 0 ]] && shift
if [[ $# -gt 0 ]]; then PICTURES=("$@"); fi

if [[ -z ${QUILLON_SHOTS_UNDER_XVFB:-} ]]; then
  exec env QUILLON_SHOTS_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash "$0" "$build" "${PICTURES[@]}"
fi

for file in "$build/quillon.exe" "$build/quillon_probe.exe"; do
  [[ -f $file ]] || { echo "screenshots: $file is missing (build $build first)" >&2; exit 2; }
done

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
work=$(mktemp -d /tmp/quillon-shots.XXXXXX)
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
out="$root/docs"
bin="$work/bin"
probe_exe="$root/$build/quillon_probe.exe"
dialog_pid=

cleanup() {
  close_program
  "$WINESERVER" -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- Helpers ---------------------------------------------------------------------------

probe() { timeout --kill-after=5 60 "$WINE" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }

# The prefix: every Wine program in one virtual desktop (so windows get frames and the
# probe sees the program's windows), dialog fonts mapped, no debugger on a crash.
prepare_prefix() {
  "$WINE" wineboot -i >/dev/null 2>&1
  "$WINESERVER" -w
  local key='HKCU\Software\Wine\Fonts\Replacements' face
  # The Japanese template's font by a Japanese stand-in; the English template's by a Latin
  # one (a Japanese font draws the backslash of a path as a yen sign).
  for face in 'MS UI Gothic' 'MS Shell Dlg'; do
    "$WINE" reg add "$key" /v "$face" /d "$JAPANESE_FONT" /f >/dev/null 2>&1
  done
  if [[ -n $ENGLISH_FONT ]]; then
    "$WINE" reg add "$key" /v 'MS Sans Serif' /d "$ENGLISH_FONT" /f >/dev/null 2>&1
  fi
  # Wine's own fonts: Marlett draws the caption buttons, and its MS Sans Serif has the
  # metrics the English template was laid out with.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  mkdir -p "$fonts"
  for font in marlett.ttf ms_sans_serif.ttf; do
    if [[ -f /usr/share/wine/fonts/$font ]]; then cp "/usr/share/wine/fonts/$font" "$fonts/"; fi
  done
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
    >/dev/null 2>&1
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1
  "$WINESERVER" -w
}

# start_program language caption [INI lines...]: quillon under its INI-store name with the
# given settings, waited for until its dialog shows.
start_program() {
  local language=$1 caption=$2
  shift 2
  rm -rf "$bin"
  mkdir -p "$bin"
  cp "$root/$build/quillon.exe" "$bin/quillon_o.exe"
  source "$root/tests/e2e/lib.sh"
  ini "$bin" "$@"
  QUILLON_LANG=$language "$WINE" "$bin/quillon_o.exe" >/dev/null 2>&1 &
  dialog_pid=$!
  if [[ $(probe wait "$caption" 60000) != found ]]; then
    echo "screenshots: the dialog \"$caption\" did not show" >&2
    return 1
  fi
  # The Japanese dialog's feedback banner shows on one start in seven: kept out of the
  # pictures, so that they come out the same each time (shot_main_ja_banner shows it).
  if [[ $language == ja ]]; then probe show "$caption" 1030 0 >/dev/null; fi
  # Mouse out of the way, and time for the first paint.
  xdotool mousemove 1270 1010
  sleep 1
}

close_program() {
  [[ -n $dialog_pid ]] || return 0
  kill "$dialog_pid" 2>/dev/null || true
  wait "$dialog_pid" 2>/dev/null || true
  dialog_pid=
  # Ends the program's Wine process too, before the next one starts.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w 2>/dev/null || true
}

# Where the virtual desktop's client starts on the X screen: the probe's screen
# coordinates are relative to it.
desktop_origin() {
  local id
  id=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1)
  if [[ -z $id ]]; then echo "0 0"; return; fi
  xdotool getwindowgeometry --shell "$id" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x+0, y+0}'
}

# crop name x y width height: the screen rectangle (desktop coordinates) as docs/name.png.
crop() {
  local name=$1 x=$2 y=$3 width=$4 height=$5 ox oy
  read -r ox oy <<<"$(desktop_origin)"
  import -window root -crop "${width}x${height}+$((x + ox))+$((y + oy))" +repage \
    "$work/$name.png"
  # No time stamps inside: the same picture gives the same file.
  convert "$work/$name.png" -strip "$out/$name.png"
  echo "screenshots: docs/$name.png (${width}x${height})"
}

# crop_dialog name caption: the dialog's window.
crop_dialog() {
  local x y width height
  read -r x y width height <<<"$(probe windowrect "$2")"
  crop "$1" "$x" "$y" "$width" "$height"
}

# A small tree with files that give the results dialog something to report.
make_sample_tree() {
  local tree=$1
  mkdir -p "$tree/sub"
  printf 'first line   \r\nsecond\tline \r\n' >"$tree/notes.txt"
  printf 'plain\r\n' >"$tree/clean.txt"
  : >"$tree/empty.txt"
  printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' >"$tree/picture.txt"
  printf 'deep  \r\n' >"$tree/sub/deep.txt"
}

# --- Pictures --------------------------------------------------------------------------

shot_main_en() {
  start_program en Tidewright 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1 CrlfTrans=1
  crop_dialog main_en Tidewright
  close_program
}

shot_main_ja() {
  start_program ja タイドライト 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1 CrlfTrans=1
  crop_dialog main_ja タイドライト
  close_program
}

# The Japanese dialog with its feedback banner, which shows on about one start in seven.
shot_main_ja_banner() {
  start_program ja タイドライト 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1
  probe show タイドライト 1030 >/dev/null
  sleep 0.5
  crop_dialog main_ja_banner タイドライト
  close_program
}

shot_main_widened() {
  start_program en Tidewright 'TargetPath=C:\data\projects\2026\reports\*.txt' \
    ReplaceString=1 'BeforeReplace=colour' 'AfterReplace=color'
  local width height
  read -r width height _ <<<"$(probe size Tidewright)"
  probe resize Tidewright $((width + 200)) "$height" >/dev/null
  sleep 0.5
  crop_dialog main_widened Tidewright
  close_program
}

# A tooltip: the mouse rests on the target edit until its tip shows; the picture holds the
# dialog and the tip.
shot_tooltip() {
  start_program en Tidewright 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1
  local ox oy px py
  read -r ox oy <<<"$(desktop_origin)"
  read -r px py <<<"$(probe controlpoint Tidewright 1023)"
  xdotool mousemove $((px + ox - 10)) $((py + oy - 8))
  sleep 0.3
  xdotool mousemove $((px + ox)) $((py + oy))
  local tip visible=0
  for _ in $(seq 20); do
    tip=$(probe tooltipwindow Tidewright)
    if [[ $(awk '{print $5}' <<<"$tip") == 1 ]]; then visible=1; break; fi
    sleep 0.25
  done
  ((visible)) || echo "screenshots: the tooltip did not show" >&2
  sleep 0.3
  local dx dy dw dh tx ty tw th
  read -r dx dy dw dh <<<"$(probe windowrect Tidewright)"
  read -r tx ty tw th _ <<<"$tip"
  local left=$((dx < tx ? dx : tx)) top=$((dy < ty ? dy : ty))
  local right=$((dx + dw > tx + tw ? dx + dw : tx + tw))
  local bottom=$((dy + dh > ty + th ? dy + dh : ty + th))
  crop tooltip "$left" "$top" $((right - left)) $((bottom - top))
  close_program
}

# The results dialog after a run over a few files, two of which give messages.
shot_results() {
  local tree="$work/sample files"
  make_sample_tree "$tree"
  start_program en Tidewright "TargetPath=Z:${tree//\//\\}\\*.txt" DelRightWhiteSpace=1 \
    SearchSubFolders=1 CharEncode=1
  probe command Tidewright 1 >/dev/null
  if [[ $(probe wait '実行結果' 60000) != found ]]; then
    echo "screenshots: no results dialog" >&2
    close_program
    return 1
  fi
  sleep 1
  crop_dialog results '実行結果'
  close_program
}

# shot_about_box language main-caption about-caption report-caption: the About box, and
# the confirmation box of "Environment Information" over it.
shot_about_box() {
  local language=$1 main=$2 about=$3 report=$4
  start_program "$language" "$main" 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1
  probe command "$main" 1015 >/dev/null
  if [[ $(probe wait "$about" 20000) != found ]]; then
    echo "screenshots: no About box" >&2
    close_program
    return 1
  fi
  sleep 1
  crop_dialog "about_$language" "$about"
  probe command "$about" 2005 >/dev/null
  if [[ $(probe wait "$report" 20000) == found ]]; then
    sleep 1
    crop_dialog "about_report_$language" "$report"
  else
    echo "screenshots: no report confirmation box" >&2
  fi
  close_program
}
shot_about_en() { shot_about_box en Tidewright About VantoriaLite; }
shot_about_ja() { shot_about_box ja タイドライト バージョン情報 '環境情報の表示(簡易版)'; }

# The dark pictures: the prefix reports Windows 10 (the program's dark theme needs it) and
# the user prefers dark applications, until dark_off puts the light preference back.
personalize_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
dark_on() {
  "$WINE" winecfg /v win10 >/dev/null 2>&1
  "$WINE" reg add "$personalize_key" /v AppsUseLightTheme /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINESERVER" -w
}
dark_off() {
  "$WINE" reg delete "$personalize_key" /v AppsUseLightTheme /f >/dev/null 2>&1 || true
  "$WINESERVER" -w
}

# shot_main_dark language caption: the main dialog in the dark theme.
shot_main_dark() {
  local language=$1 caption=$2
  dark_on
  start_program "$language" "$caption" 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1 \
    CrlfTrans=1
  crop_dialog "main_dark_$language" "$caption"
  close_program
  dark_off
}
shot_main_dark_en() { shot_main_dark en Tidewright; }
shot_main_dark_ja() { shot_main_dark ja タイドライト; }

# A message box of the program while dark: the copy of the INI settings into the registry
# says it is done. In Japanese: message boxes take the dialog font mapped to the Japanese
# stand-in, which draws the path's backslashes as yen signs, as Japanese Windows does.
shot_message_box_dark() {
  dark_on
  rm -rf "$bin"
  mkdir -p "$bin"
  cp "$root/$build/quillon.exe" "$bin/quillon_o.exe"
  source "$root/tests/e2e/lib.sh"
  ini "$bin" 'TargetPath=C:\data\*.txt'
  QUILLON_LANG=ja "$WINE" "$bin/quillon_o.exe" /OR >/dev/null 2>&1 &
  dialog_pid=$!
  if [[ $(probe wait タイドライト 60000) == found ]]; then
    xdotool mousemove 1270 1010
    sleep 1
    crop_dialog message_box_dark タイドライト
  else
    echo "screenshots: no message box" >&2
  fi
  close_program
  dark_off
}

# shot_about_dark language main-caption about-caption: the About box in the dark theme.
shot_about_dark() {
  local language=$1 main=$2 about=$3
  dark_on
  start_program "$language" "$main" 'TargetPath=C:\data\*.txt' DelRightWhiteSpace=1
  probe command "$main" 1015 >/dev/null
  if [[ $(probe wait "$about" 20000) == found ]]; then
    sleep 1
    crop_dialog "about_dark_$language" "$about"
  else
    echo "screenshots: no About box" >&2
  fi
  close_program
  dark_off
}
shot_about_dark_en() { shot_about_dark en Tidewright About; }
shot_about_dark_ja() { shot_about_dark ja タイドライト バージョン情報; }

# --- Main ------------------------------------------------------------------------------

# The Japanese template is drawn best by IPA P Gothic, a proportional font like the one it
# was laid out with (fixed-pitch IPA Gothic crops far more of its labels; Droid Sans
# Fallback has no Latin letters). The English one by Wine's own MS Sans Serif.
JAPANESE_FONT=${QUILLON_SHOTS_FONT:-IPAPGothic}
ENGLISH_FONT=${QUILLON_SHOTS_ENGLISH_FONT-}
mkdir -p "$out"
prepare_prefix
for picture in "${PICTURES[@]}"; do
  "shot_$picture"
done
