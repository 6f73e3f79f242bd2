#!/usr/bin/env bash
# quillon on a nearly full disk: a file whose new content needs more room than is left
# stays as it was, the message says why, and no work file is left beside it; the same for
# a file with two hard links. Also on ext2, which cannot reserve space up front: a
# linked file is converted there, and on a full ext2 put back as it was.
#
#   disk_full_test.sh path/to/quillonc
#
# Needs root and mount; otherwise prints that it is skipped and passes.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

QC=${1:-}
need_programs QUILLONC "$QC"
QC=$(readlink -f "$QC")

WORK=$(mktemp -d /tmp/quillon-full.XXXXXX)
MOUNTED=()
cleanup() {
  for point in "${MOUNTED[@]}"; do umount "$point" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT
export LANG=C LC_ALL= LC_MESSAGES= XDG_CONFIG_HOME="$WORK/config"
unset QUILLON_LANG

mkdir -p "$WORK/tmpfs"
if [[ $(id -u) != 0 ]] || ! mount -t tmpfs -o size=1m quillon-full "$WORK/tmpfs" 2>/dev/null; then
  echo "disk_full_test: skipped (mounting a small tmpfs needs root and a system that allows it)"
  exit 0
fi
MOUNTED+=("$WORK/tmpfs")

# text KB: that many kilobytes of ASCII lines with LF endings.
text() { yes 'a line of text 0123456789' | head -c "$(($1 * 1024))"; }

# convert DIR FILE OPTIONS...: runs quillonc on DIR/FILE; the output in $OUT.
convert() {
  local dir=$1 file=$2
  shift 2
  OUT=$(cd "$dir" && timeout 60 "$QC" "$@" -- "$dir/$file" 2>&1 | tr -d '\r')
}

# expect_names DIR WHAT NAME...: DIR holds exactly these names (hidden ones too).
expect_names() {
  local dir=$1 what=$2
  shift 2
  local have want
  have=$(ls -A "$dir" | sort | tr '\n' ' ')
  want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  [[ "$have" == "$want" ]] && ok || bad "$what: the folder holds [$have], expected [$want]"
}

# expect_refused WHAT FILE REFERENCE REASON: FILE still equals REFERENCE and the output
# names the reason.
expect_refused() {
  cmp -s "$2" "$3" && ok || bad "$1: the file changed"
  [[ "$OUT" == *"$4"* ]] && ok || bad "$1: the message does not say [$4]: $OUT"
  [[ "$OUT" == *"Replaced files:0"* ]] && ok || bad "$1: reported as replaced: $OUT"
}

full="$WORK/tmpfs"

# One link: UTF-16 doubles 600 KB, more than the megabyte holds beside the old file.
text 600 >"$WORK/single.ref"
cp "$WORK/single.ref" "$full/single.txt"
convert "$full" single.txt /O:utf16
expect_refused "single file" "$full/single.txt" "$WORK/single.ref" "No space left on device"
expect_names "$full" "single file" single.txt
echo "single file of 600 KB to UTF-16 on a 1 MB tmpfs: refused, untouched, nothing left"
rm -f "$full/single.txt"

# Two links, 400 KB: the copy of the old content fits, the room for the doubled content
# does not; the reservation fails before the file is touched.
text 400 >"$WORK/linked.ref"
cp "$WORK/linked.ref" "$full/a.txt"
ln "$full/a.txt" "$full/b.txt"
convert "$full" a.txt /O:utf16
expect_refused "linked file, no room for the new content" "$full/b.txt" "$WORK/linked.ref" \
  "No space left on device"
expect_names "$full" "linked file, no room for the new content" a.txt b.txt

# Two links, 600 KB: not even the copy of the old content fits.
rm -f "$full/a.txt" "$full/b.txt"
text 600 >"$WORK/linked600.ref"
cp "$WORK/linked600.ref" "$full/a.txt"
ln "$full/a.txt" "$full/b.txt"
convert "$full" a.txt /C:CRLF
expect_refused "linked file, no room for the copy" "$full/b.txt" "$WORK/linked600.ref" \
  "No space left on device"
expect_names "$full" "linked file, no room for the copy" a.txt b.txt
echo "linked file to UTF-16 and with CRLF on a 1 MB tmpfs: refused, untouched, nothing left"

# With room enough, the same file converts and both links see it.
rm -f "$full/a.txt" "$full/b.txt"
text 300 >"$full/a.txt"
ln "$full/a.txt" "$full/b.txt"
convert "$full" a.txt /C:CRLF
[[ "$OUT" == *"Replaced files:1"* ]] && ok || bad "linked file with room: $OUT"
[[ $(head -c 27 "$full/b.txt" | od -An -c | tr -d ' \n') == *'\r\n'* ]] && ok ||
  bad "linked file with room: the other link does not see the new content"
expect_names "$full" "linked file with room" a.txt b.txt
echo "linked file of 300 KB with CRLF on a 1 MB tmpfs: converted, both links share it"

# Files past a megabyte are written to the work file as they are converted: on an 8 MB
# tmpfs, 5 MB doubled to UTF-16 runs out of room part way, for one link and for two.
big="$WORK/tmpfs8"
mkdir -p "$big"
if mount -t tmpfs -o size=8m quillon-full8 "$big" 2>/dev/null; then
  MOUNTED+=("$big")
  text 5000 >"$WORK/big.ref"
  cp "$WORK/big.ref" "$big/big.txt"
  convert "$big" big.txt /O:utf16
  expect_refused "large file" "$big/big.txt" "$WORK/big.ref" "No space left on device"
  expect_names "$big" "large file" big.txt
  ln "$big/big.txt" "$big/other.txt"
  convert "$big" big.txt /O:utf16
  expect_refused "large linked file" "$big/other.txt" "$WORK/big.ref" "No space left on device"
  expect_names "$big" "large linked file" big.txt other.txt
  echo "file of 5 MB to UTF-16 on an 8 MB tmpfs, one link and two: refused, untouched, nothing left"
else
  skip "file of 5 MB on an 8 MB tmpfs (cannot mount it)"
fi

# ext2 reserves no space up front; where loop devices are missing this part is skipped.
truncate -s 2M "$WORK/ext2.img"
mkdir -p "$WORK/ext2"
if mkfs.ext2 -q -F "$WORK/ext2.img" >/dev/null 2>&1 &&
  mount -o loop "$WORK/ext2.img" "$WORK/ext2" 2>/dev/null; then
  MOUNTED+=("$WORK/ext2")
  ext2="$WORK/ext2"
  rm -rf "$ext2/lost+found"
  text 200 >"$ext2/a.txt"
  ln "$ext2/a.txt" "$ext2/b.txt"
  convert "$ext2" a.txt /C:CRLF
  [[ "$OUT" == *"Replaced files:1"* && "$OUT" != *rror* ]] && ok || bad "ext2, linked file: $OUT"
  expect_names "$ext2" "ext2, linked file" a.txt b.txt

  # Filled up but for what the copy of the old content takes and a little: the rewrite
  # runs out of room part way and the old content is put back.
  rm -f "$ext2/a.txt" "$ext2/b.txt"
  text 300 >"$WORK/ext2.ref"
  cp "$WORK/ext2.ref" "$ext2/a.txt"
  ln "$ext2/a.txt" "$ext2/b.txt"
  free=$(($(stat -f -c '%a * %S' "$ext2") - 300 * 1024 - 64 * 1024))
  ((free > 0)) && head -c "$free" /dev/zero >"$ext2/filler"
  convert "$ext2" a.txt /O:utf16
  expect_refused "ext2, full, linked file" "$ext2/b.txt" "$WORK/ext2.ref" "No space left on device"
  expect_names "$ext2" "ext2, full, linked file" a.txt b.txt filler
  echo "linked file on ext2: converted; on a full ext2 put back as it was, nothing left"
else
  echo "ext2 part skipped (no loop device)"
fi

finish
