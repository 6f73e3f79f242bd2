#!/usr/bin/env bash
# The Windows delivery, made from the built programs:
#   OUTPUT/quillon/                 the portable folder: quillon.exe, quillonc.exe, their
#                                   INI-store copies quillon_o.exe and quillonc_o.exe,
#                                   quillon.chm, README.txt (Japanese and English), LICENSE.txt
#   OUTPUT/quillon-VERSION.zip      that folder zipped (when zip is available)
#   OUTPUT/quillon-VERSION-setup.exe  the installer (when makensis is available)
#
#   scripts/package-win.sh QUILLON_EXE QUILLONC_EXE QUILLON_CHM VERSION OUTPUT
set -euo pipefail

if (($# != 5)); then
  echo "usage: $0 quillon.exe quillonc.exe quillon.chm version output-folder" >&2
  exit 2
fi
quillon=$1
quillonc=$2
chm=$3
version=$4
out=$5
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for file in "$quillon" "$quillonc" "$chm"; do
  [[ -f $file ]] || { echo "package-win: $file is missing" >&2; exit 1; }
done

# Text files for Windows: CRLF line ends, UTF-8 with a byte-order mark so that every
# editor there reads the Japanese right.
windows_text() {  # windows_text SOURCE TARGET
  { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$1"; } >"$2"
}

folder="$out/quillon"
rm -rf "$folder"
mkdir -p "$folder"
cp "$quillon" "$folder/quillon.exe"
cp "$quillonc" "$folder/quillonc.exe"
cp "$quillon" "$folder/quillon_o.exe"
cp "$quillonc" "$folder/quillonc_o.exe"
cp "$chm" "$folder/quillon.chm"
windows_text "$root/packaging/windows/README.txt" "$folder/README.txt"
windows_text "$root/LICENSE" "$folder/LICENSE.txt"
echo "package-win: $folder"

zip_file="$out/quillon-$version.zip"
if command -v zip >/dev/null 2>&1; then
  rm -f "$zip_file"
  (cd "$out" && zip -q -r -X "$(basename "$zip_file")" quillon)
  echo "package-win: $zip_file"
else
  echo "package-win: zip not found, no archive made"
fi

setup="$out/quillon-$version-setup.exe"
if command -v makensis >/dev/null 2>&1; then
  # The installer takes the programs under their registry-store names only.
  staging="$out/installer-files"
  rm -rf "$staging"
  mkdir -p "$staging"
  cp "$folder"/{quillon.exe,quillonc.exe,quillon.chm,README.txt,LICENSE.txt} "$staging/"
  cp "$root/ui/win32/quillon.ico" "$staging/"
  rm -f "$setup"
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$staging" -DOUTFILE="$setup" \
    "$root/packaging/windows/quillon.nsi"
  rm -rf "$staging"
  echo "package-win: $setup"
else
  echo "package-win: makensis not found, no installer made"
fi
