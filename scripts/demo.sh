#!/usr/bin/env bash
# The main job on a copy of the bundled samples (samples/ stays as it is): every file is
# read in its own encoding (mark or detection), then written as UTF-8 with LF endings,
# full-width spaces made single spaces, trailing blanks removed and TABs expanded.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh --build-only >/dev/null

work=$(mktemp -d /tmp/quillon-demo.XXXXXX)
cp samples/* "$work/"
# quillonc hands its settings over through a store; keep the demo's own.
export XDG_CONFIG_HOME="$work/.config"

echo "== before: $work"
for file in "$work"/*; do
  printf '  %-22s %5d bytes  %s\n' "$(basename "$file")" "$(stat -c %s "$file")" \
    "$(head -c 12 "$file" | od -An -tx1 | tr -s ' ' | cut -c2-36)"
done

echo "== quillonc /F:auto /O:utf8 /C:LF /H /W /T:4 -- $work/*"
build/quillonc /F:auto /O:utf8 /C:LF /H /W /T:4 -- "$work/*"

echo "== after"
for file in "$work"/*; do
  echo "-- $(basename "$file") ($(stat -c %s "$file") bytes)"
  sed 's/^/   |/; s/$/|/' "$file"
done
echo "== the converted copies stay in $work"
