#!/usr/bin/env bash
# Puts the Windows programs into one folder, with quillon_o.exe and quillonc_o.exe (the
# same programs under the names that select the INI store) and the help file quillon.chm
# (the program opens it from its own folder), and zips the folder when zip is available.
#   scripts/package-win.sh QUILLON_EXE QUILLONC_EXE QUILLON_CHM OUTPUT_FOLDER
set -euo pipefail

if (($# != 4)); then
  echo "usage: $0 quillon.exe quillonc.exe quillon.chm output-folder" >&2
  exit 2
fi
quillon=$1
quillonc=$2
help=$3
out=$4
folder="$out/quillon"

rm -rf "$folder"
mkdir -p "$folder"
cp "$quillon" "$folder/quillon.exe"
cp "$quillonc" "$folder/quillonc.exe"
cp "$quillon" "$folder/quillon_o.exe"
cp "$quillonc" "$folder/quillonc_o.exe"
cp "$help" "$folder/quillon.chm"
echo "package-win: $folder"

if command -v zip >/dev/null 2>&1; then
  rm -f "$out/quillon.zip"
  (cd "$out" && zip -q -r quillon.zip quillon)
  echo "package-win: $out/quillon.zip"
else
  echo "package-win: zip not found, no archive made"
fi
