#!/usr/bin/env bash
# The start-up check of quillon.exe's program file under Wine: a copy with one byte of its
# code changed stops with exit code 1 and the damaged-file text (a console line in console
# mode, an error box otherwise) before it touches a file; the unchanged copy runs. Also the
# build's stamping tool on a copy.
#
#   integrity_test.sh path/to/quillon.exe path/to/quillon_probe.exe path/to/pe_checksum
#
# Runs inside its own X server (xvfb-run) and its own Wine prefix unless $WINEPREFIX is set.
# Prints "N passed, M failed" and exits non-zero when anything failed.
set -u

if [[ $# -ne 3 || ! -f $1 || ! -f $2 || ! -x $3 ]]; then
  echo "usage: $0 path/to/quillon.exe path/to/quillon_probe.exe path/to/pe_checksum" >&2
  exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
wine_under_xvfb "$@"
program=$(readlink -f "$1")
probe_exe=$(readlink -f "$2")
pe_checksum=$(readlink -f "$3")
wine_setup integrity

# flip_code_byte FILE: changes one byte inside the code of RunJob, which runs only after
# start-up (so the damaged copy cannot crash before its check); the middle of .text when
# the symbol cannot be found.
flip_code_byte() {
  local file=$1 offset="" text_vma text_offset address
  read -r text_vma text_offset < <(x86_64-w64-mingw32-objdump -h "$file" 2>/dev/null |
    awk '$2 == ".text" { print $4, $6 }')
  address=$(x86_64-w64-mingw32-nm "$file" 2>/dev/null |
    awk '$2 == "T" && $3 ~ /^_Z6RunJob/ { print $1; exit }')
  if [[ -n $text_vma && -n $address ]]; then
    offset=$((16#$address - 16#$text_vma + 16#$text_offset + 1))
  elif [[ -n $text_offset ]]; then
    offset=$((16#$text_offset + $(stat -c %s "$file") / 4))
  else
    offset=$(($(stat -c %s "$file") / 2))
  fi
  local byte
  byte=$(od -An -tu1 -j "$offset" -N1 "$file" | tr -d ' ')
  printf "$(printf '\\%03o' $((byte ^ 0x5A)))" |
    dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

good="$work/good"
bad="$work/bad"
mkdir -p "$good" "$bad"
cp "$program" "$good/quillon_o.exe"
cp "$program" "$bad/quillon_o.exe"
flip_code_byte "$bad/quillon_o.exe"
check "damaged copy differs in one byte" \
  test "$(cmp -l "$program" "$bad/quillon_o.exe" | wc -l)" = 1

# --- The stamping tool ---------------------------------------------------------------

check "tool: the built program carries its checksum" "$pe_checksum" check "$program" >/dev/null
"$pe_checksum" check "$bad/quillon_o.exe" >/dev/null 2>&1
check "tool: the changed byte shows" test $? = 1
cp "$bad/quillon_o.exe" "$work/restamped.exe"
check "tool: stamps a copy" "$pe_checksum" stamp "$work/restamped.exe"
check "tool: the stamp matches after stamping" "$pe_checksum" check "$work/restamped.exe" >/dev/null
printf 'not a program\n' >"$work/notes.txt"
"$pe_checksum" stamp "$work/notes.txt" 2>/dev/null
check "tool: refuses what is no program" test $? = 2
check "tool: leaves it untouched" cmp -s "$work/notes.txt" <(printf 'not a program\n')

# --- Console mode --------------------------------------------------------------------

tree="$work/tree"
mkdir -p "$tree"
printf 'a \r\nb\t\r\n' >"$tree/a.txt"
for folder in "$good" "$bad"; do
  ini "$folder" "TargetPath=$(winpath "$tree")\\*.txt" "DelRightWhiteSpace=1" "SearchSubFolders=0"
done
cp "$bad/quillon.ini" "$work/ini.before"

QUILLON_LANG=en wine_run 120 "$bad/quillon_o.exe" /CUIMODE >"$work/out" 2>/dev/null
code=$?
check "console, damaged: exit code 1" test $code = 1
check "console, damaged: the text on standard output" cmp -s <(tr -d '\r' <"$work/out") \
  <(printf 'The program file is damaged and cannot start. Please reinstall it.\n')
check "console, damaged: target untouched" cmp -s "$tree/a.txt" <(printf 'a \r\nb\t\r\n')
check "console, damaged: settings untouched" cmp -s "$bad/quillon.ini" "$work/ini.before"

QUILLON_LANG=ja wine_run 120 "$bad/quillon_o.exe" /CUIMODE >"$work/out" 2>/dev/null
code=$?
check "console, damaged, Japanese: exit code 1" test $code = 1
check "console, damaged, Japanese: the text in code page 932" cmp -s \
  <(iconv -f cp932 -t utf-8 <"$work/out" | tr -d '\r') \
  <(printf 'プログラムファイルが壊れているため起動できません。再インストールしてください。\n')
check "console, damaged, Japanese: target untouched" cmp -s "$tree/a.txt" <(printf 'a \r\nb\t\r\n')

# --- Interactive ---------------------------------------------------------------------

QUILLON_LANG=en timeout --kill-after=5 120 "$WINE" "$bad/quillon_o.exe" >/dev/null 2>&1 &
pid=$!
shown=$(probe box Tidewright 60000)
check "dialog, damaged: error box shown" grep -qx \
  'text The program file is damaged and cannot start. Please reinstall it.' <<<"$shown"
check "dialog, damaged: the box waits for the user" kill -0 "$pid"
probe box Tidewright 1000 1 >/dev/null
wait "$pid"
code=$?
check "dialog, damaged: exit code 1 after the box, no dialog" test $code = 1
check "dialog, damaged: target untouched" cmp -s "$tree/a.txt" <(printf 'a \r\nb\t\r\n')

# --- The unchanged copy --------------------------------------------------------------

out=$(QUILLON_LANG=en wine_run 120 "$good/quillon_o.exe" /CUIMODE 2>/dev/null)
code=$?
check "console, intact: exit code 0" test $code = 0
check "console, intact: summary" test "$(tr -d '\r' <<<"$out")" = "Target files:1, Replaced files:1"
check "console, intact: target converted" cmp -s "$tree/a.txt" <(printf 'a\r\nb\r\n')

finish "integrity e2e"
