#!/usr/bin/env bash
# quillon run by a user other than the files' owner, in a folder everybody may write: a
# file it cannot give back to its owner and group stays as it was (owner, content, inode)
# and the message says why; a file it may keep the owner of is converted with owner and
# group kept. In a folder it may not write, the message names the folder.
#
#   owner_test.sh path/to/quillonc
#
# Runs as root and converts as user 65534 through setpriv; otherwise prints that it is
# skipped and passes.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

QC=${1:-}
need_programs QUILLONC "$QC"
QC=$(readlink -f "$QC")
USER_ID=65534

WORK=$(mktemp -d /tmp/quillon-owner.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export LANG=C LC_ALL= LC_MESSAGES=
unset QUILLON_LANG

AS_USER=(setpriv --reuid=$USER_ID --regid=$USER_ID --clear-groups)
as_user() { "${AS_USER[@]}" "$@"; }
if [[ $(id -u) != 0 ]] || ! as_user true 2>/dev/null; then
  echo "owner_test: skipped (needs root and setpriv to run as another user)"
  exit 0
fi

# The programs where the user may run them, its store where it may write.
chmod 755 "$WORK"
cp "$QC" "$WORK/quillonc"
cp "$(dirname "$QC")/quillon" "$WORK/quillon"
chmod 755 "$WORK/quillonc" "$WORK/quillon"
mkdir -p "$WORK/config"
chown $USER_ID:$USER_ID "$WORK/config"

# convert FILE: the user converts FILE to CRLF; the output in $OUT.
convert() {
  OUT=$(cd / && XDG_CONFIG_HOME="$WORK/config" timeout 60 "${AS_USER[@]}" "$WORK/quillonc" \
    /C:CRLF -- "$1" 2>&1 | tr -d '\r')
}
describe() { stat -c '%u:%g %a %i' "$1"; }
has_crlf() { [[ $(od -An -c "$1" | tr -d ' \n') == *'\r\n'* ]]; }

shared="$WORK/shared"
mkdir -p "$shared"
chmod 777 "$shared"

# untouched WHAT FILE OWNER: refused, the file as it was, the reason given, nothing left.
untouched() {
  local what=$1 file=$2 owner=$3 before
  chown "$owner" "$file"
  before=$(describe "$file")
  printf 'one\ntwo\n' >"$WORK/expected"
  convert "$file"
  cmp -s "$file" "$WORK/expected" && ok || bad "$what: the content changed"
  [[ $(describe "$file") == "$before" ]] && ok || bad "$what: now $(describe "$file"), was $before"
  [[ "$OUT" == *"Cannot open a file as write mode - Operation not permitted"* ]] && ok ||
    bad "$what: $OUT"
  [[ -z $(ls -A "$shared" | grep -v '^[a-z]*\.txt$') ]] && ok || bad "$what: left $(ls -A "$shared")"
}

printf 'one\ntwo\n' >"$shared/root.txt"
chmod 666 "$shared/root.txt"
untouched "another user's file" "$shared/root.txt" 0:0

printf 'one\ntwo\n' >"$shared/group.txt"
chmod 664 "$shared/group.txt"
untouched "own file of a group the user is not in" "$shared/group.txt" $USER_ID:0
echo "another user's file, and an own file of another group: left as they were, reason given"

# The user's own file: converted, owner, group and mode kept.
printf 'one\ntwo\n' >"$shared/own.txt"
chown $USER_ID:$USER_ID "$shared/own.txt"
chmod 640 "$shared/own.txt"
convert "$shared/own.txt"
has_crlf "$shared/own.txt" && ok || bad "own file: not converted: $OUT"
[[ $(stat -c '%u:%g %a' "$shared/own.txt") == "$USER_ID:$USER_ID 640" ]] && ok ||
  bad "own file: now $(stat -c '%u:%g %a' "$shared/own.txt")"

# Another user's file with a second link is rewritten where it is: it stays the owner's.
printf 'one\ntwo\n' >"$shared/linked.txt"
chmod 666 "$shared/linked.txt"
ln "$shared/linked.txt" "$shared/other.txt"
convert "$shared/linked.txt"
has_crlf "$shared/other.txt" && ok || bad "linked file: not converted: $OUT"
[[ $(stat -c '%u:%g' "$shared/linked.txt") == "0:0" ]] && ok || bad "linked file: owner changed"
echo "the user's own file, and a linked file of root: converted, owner and group kept"

# A folder the user may not write: no temporary file and no copy of the old content can
# be made there, and the message names the folder.
locked="$WORK/locked"
mkdir -p "$locked"
chmod 755 "$locked"
for name in single linked; do
  printf 'one\ntwo\n' >"$locked/$name.txt"
  chmod 666 "$locked/$name.txt"
done
ln "$locked/linked.txt" "$locked/linked2.txt"
for name in single linked; do
  convert "$locked/$name.txt"
  [[ "$OUT" == *"Cannot open a file as write mode - Cannot create a temporary file in $locked - Permission denied"* ]] &&
    ok || bad "locked folder, $name: $OUT"
  cmp -s "$locked/$name.txt" "$WORK/expected" && ok || bad "locked folder, $name: changed"
done
echo "a folder the user may not write: the message names the folder, files left as they were"

finish
