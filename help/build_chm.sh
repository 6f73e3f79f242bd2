#!/usr/bin/env bash
# Compiles the help file quillon.chm from the sources in help/.
#   help/build_chm.sh SOURCE_FOLDER WORK_FOLDER OUTPUT_CHM
# The sources are UTF-8. The help viewer reads the project's title, the contents and the
# index in the code page of the help file's language (932 for Japanese), so those three
# are converted; the pages declare their own character set and are copied as they are.
set -euo pipefail

if (($# != 3)); then
  echo "usage: $0 source-folder work-folder output.chm" >&2
  exit 2
fi
source=$(cd "$1" && pwd)
work=$2
output=$3

rm -rf "$work"
mkdir -p "$work"
cp -R "$source/_RESOURCE" "$work/"
for file in quillon.hhp quillon.hhc quillon.hhk; do
  iconv -f UTF-8 -t CP932 "$source/$file" >"$work/$file"
done

# chmcmd leaves a partial file behind when it fails, and prints its messages on stdout.
if ! (cd "$work" && chmcmd --no-html-scan quillon.hhp >chmcmd.log 2>&1) ||
  grep -q -i -E '^(warning|error)' "$work/chmcmd.log"; then
  cat "$work/chmcmd.log" >&2
  rm -f "$work/quillon.chm"
  echo "build_chm: chmcmd failed" >&2
  exit 1
fi
mv -f "$work/quillon.chm" "$output"
