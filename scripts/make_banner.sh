#!/usr/bin/env bash
# Renders the Japanese dialog's feedback banner, ui/win32/banner.bmp: 318 x 16 pixels,
# 16 colours (a 4-bit BMP), one line of text asking for feedback and pointing to the Help
# button. Drawn without antialiasing: grey edge pixels would blur into mush in 16 colours
# at this size. Needs ImageMagick and the IPA P Gothic font (fonts-ipafont-gothic).
#
#   bash scripts/make_banner.sh [output.bmp]
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=${1:-ui/win32/banner.bmp}
text='ご意見・ご感想をお寄せください → 詳しくは［ヘルプ］ボタンへ'
font=$(fc-match -f '%{file}' 'IPAPGothic:lang=ja')
case $font in
  *ipagp*) ;;
  *) echo "make_banner: the IPA P Gothic font is needed (fonts-ipafont-gothic)" >&2; exit 1 ;;
esac

# A pale band with a thin frame, the text in dark blue at 12 pixels, centred.
convert -size 318x16 xc:'#FFF8DC' \
  -fill none -stroke '#B8A070' -draw 'rectangle 0,0 317,15' -stroke none \
  +antialias -font "$font" -pointsize 12 -density 72 -fill '#102A6E' \
  -gravity center -annotate +0+0 "$text" \
  -dither None -colors 16 -type Palette -compress None BMP3:"$out"
file "$out"
