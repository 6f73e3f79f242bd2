#!/usr/bin/env bash
# End-to-end runs of quillon's console and settings-copy modes on temporary trees.
# Usage: quillon_e2e.sh path/to/quillon
set -u
program=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" QUILLON_LANG=en
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mkdir -p "$work/bin"
cp "$program" "$work/bin/quillon_o"
cp "$program" "$work/bin/quillon"

# A missing INI file is created with just its mark and an empty line; the empty target
# cannot be entered.
out=$(cd / && "$work/bin/quillon_o" /CUIMODE 2>&1); code=$?
check "missing INI created" cmp -s "$work/bin/quillon.ini" <(printf '\xff\xfe\r\0\n\0')
check "empty target reported" test "$out" = "SetCurrentDirectory error."
check "exit code 0" test $code = 0

# A whole job from the INI store: messages as they arise, then the summary.
tree="$work/tree one"
mkdir -p "$tree/sub/deeper"
printf 'a \r\n' > "$tree/a.txt"
printf 'z\t\n' > "$tree/zz.txt"
printf 'b  \n' > "$tree/sub/b.txt"
printf 'c\n' > "$tree/sub/deeper/c.txt"
: > "$tree/sub/empty.txt"
printf 'dash \n' > "$tree/-dash.txt"
printf 'raw \n' > "$tree/$(printf 'caf\xe9').txt"
ini "$work/bin" "TargetPath=$tree/*.txt" "DelRightWhiteSpace=1" "CrlfTrans=1" "CrlfTransWay=1"
out=$(cd /tmp && "$work/bin/quillon_o" /CUIMODE); code=$?
expected=$'empty.txt is empty.\r\nTarget files:6, Replaced files:5'
check "messages then summary" test "$out" = "$expected"
check "trimmed and LF" cmp -s "$tree/a.txt" <(printf 'a\n')
check "deep file visited" cmp -s "$tree/sub/b.txt" <(printf 'b\n')
check "leading dash name" cmp -s "$tree/-dash.txt" <(printf 'dash\n')
check "non-UTF-8 name" cmp -s "$tree/$(printf 'caf\xe9').txt" <(printf 'raw\n')
check "trailing TAB trimmed" cmp -s "$tree/zz.txt" <(printf 'z\n')

# Copy INI -> registry, then a registry run under the plain name converts a second tree.
tree2="$work/tree2"
mkdir -p "$tree2"
printf 'x\r\n' > "$tree2/x.txt"
ini "$work/bin" "TargetPath=$tree2/*.txt" "CrlfTrans=1" "CrlfTransWay=2" "SearchSubFolders=0"
err=$("$work/bin/quillon_o" /or 2>&1 >/dev/null)
check "copy to registry reported" test "$err" = "Tidewright: Settings saved to HKCU\\Software\\Orvalent\\quillon\\CurrentVersion."
check "hive written" test -s "$XDG_CONFIG_HOME/quillon/registry.reg"
rm "$work/bin/quillon.ini"
out=$("$work/bin/quillon" /CUIMODE)
check "registry run" test "$out" = "Target files:1, Replaced files:1"
check "CR endings from the registry" cmp -s "$tree2/x.txt" <(printf 'x\r')

# Copy registry -> INI with the Japanese texts.
err=$(QUILLON_LANG=ja "$work/bin/quillon" /RO 2>&1 >/dev/null)
check "copy to INI reported" test "$err" = "タイドライト: 設定を.\\quillon.iniへ保存しました。"
keys=$(iconv -f utf-16le -t utf-8 < "$work/bin/quillon.ini" | tr -d '\r' | grep -c '=')
check "all 26 keys copied" test "$keys" = 26
out=$(QUILLON_LANG=ja "$work/bin/quillon_o" /CUIMODE)
check "Japanese summary" test "$out" = "1個中 0個のファイルの置換を行いました。"

# A TAB width the dialog and quillonc never store (huge, negative, beyond 32 bits) is
# taken as 4, not as billions of spaces per TAB.
tabs="$work/tabs"
mkdir -p "$tabs"
for width in 99999999999999 -1 4294967304 0; do
  printf 'a\tb\n' > "$tabs/t.txt"
  ini "$work/bin" "TargetPath=$tabs/t.txt" "Tab2Space=1" "Tab2SpaceClm=$width"
  timeout 20 "$work/bin/quillon_o" /CUIMODE >/dev/null 2>&1
  check "TAB width $width taken as 4" cmp -s "$tabs/t.txt" <(printf 'a   b\n')
done

# A FIFO in the store's place: nothing waits on it, quillon names the file and runs no
# job; a settings copy from it writes nothing.
rm -f "$work/bin/quillon.ini"
mkfifo "$work/bin/quillon.ini"
printf 'x \n' > "$tabs/t.txt"
out=$(cd / && timeout 20 "$work/bin/quillon_o" /CUIMODE 2>&1); code=$?
check "FIFO INI: no hang, exit 0" test $code = 0
check "FIFO INI: named" test "$out" = "Cannot read the settings $work/bin/quillon.ini - not a regular file"
out=$(cd / && QUILLON_LANG=ja timeout 20 "$work/bin/quillon_o" /CUIMODE 2>&1)
check "FIFO INI: named in Japanese" \
  test "$out" = "設定ファイル $work/bin/quillon.ini を読み込めません - 通常のファイルではありません"
hive_before=$(od -An -tx1 "$XDG_CONFIG_HOME/quillon/registry.reg")
err=$(timeout 20 "$work/bin/quillon_o" /OR 2>&1 >/dev/null); code=$?
check "FIFO INI: copy not made" test "$code $err" = "0 Tidewright: Cannot read the settings $work/bin/quillon.ini - not a regular file"
check "FIFO INI: registry untouched" test "$hive_before" = "$(od -An -tx1 "$XDG_CONFIG_HOME/quillon/registry.reg")"
rm -f "$work/bin/quillon.ini"
hive="$XDG_CONFIG_HOME/quillon/registry.reg"
mv "$hive" "$hive.saved"
mkfifo "$hive"
out=$(timeout 20 "$work/bin/quillon" /CUIMODE 2>&1); code=$?
check "FIFO hive: no hang, named" test "$code $out" = "0 Cannot read the settings $hive - not a regular file"
check "FIFO hive: no job ran" cmp -s "$tabs/t.txt" <(printf 'x \n')
err=$(timeout 20 "$work/bin/quillon" /RO 2>&1 >/dev/null); code=$?
check "FIFO hive: copy not made" test "$code $err" = "0 Tidewright: Cannot read the settings $hive - not a regular file"
check "FIFO hive: no INI made" test ! -e "$work/bin/quillon.ini"
rm -f "$hive"
mv "$hive.saved" "$hive"

# On a terminal, standard error carries a progress line that is erased before the summary;
# anywhere else nothing at all, and standard output is the same either way. The job
# changes nothing, so every run sees the same tree.
if command -v script >/dev/null; then
  many="$work/many"
  for d in 1 2 3 4 5 6 7 8 9 10; do
    mkdir -p "$many/d$d"
    for f in $(seq 1 300); do printf 'x\n' > "$many/d$d/f$f.txt"; done
  done
  : > "$many/d7/empty.txt"
  ini "$work/bin" "TargetPath=$many/*.txt" "DelRightWhiteSpace=1"
  script -qfec "'$work/bin/quillon_o' /CUIMODE" /dev/null > "$work/both.pty"
  both=$(cat "$work/both.pty")
  before=${both%%Target files:*}
  check "progress: line drawn on the terminal" \
    grep -aqE $'\rfolders [0-9]+  files [0-9]+  replaced 0  ' "$work/both.pty"
  check "progress: summary reached" test "$before" != "$both"
  # Whatever was drawn last is erased before the summary is printed.
  last=${before##*$'\r'folders }
  check "progress: erased before the summary" test "${last#*$'\r\e[K'}" != "$last"
  check "progress: summary starts a clean line" test "${before: -3}" = $'\r\e[K' \
    -o "${before: -1}" = $'\n'
  script -qfec "'$work/bin/quillon_o' /CUIMODE > '$work/terminal.out'" /dev/null > "$work/err.pty"
  check "progress: on standard error only" grep -aq $'\rfolders ' "$work/err.pty"
  "$work/bin/quillon_o" /CUIMODE > "$work/plain.out" 2> "$work/plain.err"
  check "progress: nothing when standard error is a file" test ! -s "$work/plain.err"
  check "progress: standard output the same" cmp -s "$work/terminal.out" "$work/plain.out"
  check "progress: messages and summary" test "$(cat "$work/plain.out")" = \
    $'empty.txt is empty.\r\nTarget files:3000, Replaced files:0'
  QUILLON_LANG=ja script -qfec "'$work/bin/quillon_o' /CUIMODE" /dev/null > "$work/ja.pty"
  check "progress: Japanese line" grep -aq $'\rフォルダ ' "$work/ja.pty"
else
  skip "progress line: no script program"
fi

# Without a console mode switch there is no dialog on this platform.
"$work/bin/quillon" /cuimode >/dev/null 2>&1
check "lower-case /cuimode is no console mode" test $? != 0

finish "quillon e2e"
