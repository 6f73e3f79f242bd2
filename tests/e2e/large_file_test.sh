#!/usr/bin/env bash
# quillon on a file larger than 4 GiB: converted on disk with the memory of a small one.
# The file (about 4.3 GB of ASCII lines with LF endings) gets CR LF endings with trailing
# blanks removed, and its bytes are compared with the expected ones; quillon's peak
# memory is checked when /usr/bin/time can tell it.
#
#   QUILLON_LARGE_FILE_TEST=1 large_file_test.sh path/to/quillonc
#
# Takes a minute or more and about 9 GB of disk: without QUILLON_LARGE_FILE_TEST=1, or
# when the disk lacks the room, it prints that it is skipped and passes.
# QUILLON_LARGE_FILE_DIR names the folder to work in (default: /tmp).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

QC=${1:-}
need_programs QUILLONC "$QC"
QC=$(readlink -f "$QC")

if [[ ${QUILLON_LARGE_FILE_TEST:-} != 1 ]]; then
  echo "large_file_test: skipped (set QUILLON_LARGE_FILE_TEST=1 to convert a file of 4.3 GB)"
  exit 0
fi

WORK=$(mktemp -d "${QUILLON_LARGE_FILE_DIR:-/tmp}/quillon-large.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
export LANG=C LC_ALL= LC_MESSAGES= XDG_CONFIG_HOME="$WORK/config"
unset QUILLON_LANG

# 160,000,000 lines of 27 bytes: 4,320,000,000 bytes, past 2^32.
lines=160000000
line='a line of text 0123456789 '  # its trailing blank goes
size=$((lines * 27))
need_kb=$(((size * 2 + size / 10) / 1024))
avail_kb=$(df -Pk "$WORK" | awk 'NR == 2 { print $4 }')
if ((avail_kb < need_kb)); then
  echo "large_file_test: skipped ($((avail_kb / 1048576)) GB free in $WORK, $((need_kb / 1048576)) GB needed)"
  exit 0
fi

yes "$line" | head -n "$lines" >"$WORK/big.txt"
expect_eq "input size" "$size" "$(stat -c %s "$WORK/big.txt")"

memory=
if [[ -x /usr/bin/time ]]; then
  out=$(cd "$WORK" && /usr/bin/time -f '%M' -o "$WORK/time.txt" \
    timeout 900 "$QC" /C:CRLF /W -- "$WORK/big.txt" 2>&1 | tr -d '\r')
  memory=$(tail -1 "$WORK/time.txt")
else
  out=$(cd "$WORK" && timeout 900 "$QC" /C:CRLF /W -- "$WORK/big.txt" 2>&1 | tr -d '\r')
fi
expect_eq "summary" "Target files:1, Replaced files:1" "$out"
# Each line loses its blank and gains a CR: the same size.
expect_eq "output size" "$size" "$(stat -c %s "$WORK/big.txt")"
cmp -s "$WORK/big.txt" <(yes "${line% }"$'\r' | head -n "$lines") && ok ||
  bad "the converted bytes differ from the expected ones"
expect_eq "no work file left beside the file" "" "$(ls -A "$WORK" | grep '^\.~ql')"
if [[ -n $memory ]]; then
  ((memory <= 16384)) && ok || bad "peak memory ${memory} KB, more than 16 MB"
  echo "4.3 GB file with /C:CRLF /W: converted, peak memory ${memory} KB"
else
  skip "peak memory (no /usr/bin/time)"
fi
finish large_file_test
