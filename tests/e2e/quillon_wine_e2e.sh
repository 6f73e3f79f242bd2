#!/usr/bin/env bash
# End-to-end runs of the Windows quillon.exe under Wine: console mode, the settings-copy
# modes and one interactive run through the dialog.
#
#   quillon_wine_e2e.sh path/to/quillon.exe
#
# Runs inside its own X server (xvfb-run); uses $WINEPREFIX when it is set, else a fresh
# prefix of its own (the first start of a prefix takes ~10 s). Message boxes and the
# dialog are answered with xdotool; without it those steps are skipped, and the copy
# modes are checked up to their message box and then ended.
# Prints "N passed, M failed" and exits non-zero when anything failed.
set -u

if [[ $# -ne 1 || ! -f $1 ]]; then
  echo "usage: $0 path/to/quillon.exe" >&2
  exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
wine_under_xvfb "$@"
program=$(readlink -f "$1")
wine_setup wine-e2e
have_xdotool=0
command -v xdotool >/dev/null 2>&1 && have_xdotool=1

# A text the way Wine's debug channels print it: L"...", units above ASCII as \xxxx.
wine_debugstr() {
  local out='L"' unit
  for unit in $(printf '%s' "$1" | iconv -f utf-8 -t utf-16le | od -An -v -tx2); do
    if [[ $unit == 005c ]]; then
      out+='\\'
    elif ((16#$unit >= 0x20 && 16#$unit < 0x7f)); then
      out+=$(printf "\\x${unit:2:2}")
    else
      out+="\\$unit"
    fi
  done
  printf '%s"' "$out"
}
visible_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [[ -n $(visible_window "$1") ]]; }
press() {  # window title, keys...
  local id
  id=$(visible_window "$1")
  [[ -n $id ]] || return 1
  shift
  xdotool windowfocus --sync "$id" key --delay 100 "$@"
}
ended_with() {  # pid, expected exit code
  local code
  wait_for 30 bash -c "! kill -0 $1 2>/dev/null" || return 1
  wait "$1"
  code=$?
  [[ $code == "$2" ]]
}
stop() { kill "$1" 2>/dev/null; wait "$1" 2>/dev/null; }


bin="$work/bin"
mkdir -p "$bin"
cp "$program" "$bin/quillon_o.exe"
cp "$program" "$bin/quillon.exe"

# --- Console mode --------------------------------------------------------------------

# No INI file yet: it is created, and the empty target is reported on standard output.
out=$(cd / && QUILLON_LANG=en wine_run 120 "$bin/quillon_o.exe" /CUIMODE 2>/dev/null)
code=$?
check "console: exit code 0 after a run error" test $code = 0
check "console: empty target reported" test "$(tr -d '\r' <<<"$out")" = "SetCurrentDirectory error."
check "console: INI file created" test -s "$bin/quillon.ini"

tree="$work/tree one"
mkdir -p "$tree/sub"
printf 'a \r\nb\t\r\n' >"$tree/a.txt"
printf 'clean\r\n' >"$tree/b.txt"
printf 'c  \n' >"$tree/c.txt"
printf 'deep \r\n' >"$tree/sub/d.txt"
printf 'other \r\n' >"$tree/e.log"
ini "$bin" "TargetPath=$(winpath "$tree")\\*.txt" "DelRightWhiteSpace=1" "SearchSubFolders=1"
QUILLON_LANG=en wine_run 120 "$bin/quillon_o.exe" /CUIMODE >"$work/console.out" 2>/dev/null
code=$?
check "console: exit code 0" test $code = 0
check "console: summary on redirected output" \
  cmp -s "$work/console.out" <(printf 'Target files:4, Replaced files:3\n')
check "console: trailing blanks removed" cmp -s "$tree/a.txt" <(printf 'a\r\nb\r\n')
check "console: LF file keeps LF" cmp -s "$tree/c.txt" <(printf 'c\n')
check "console: subfolder visited" cmp -s "$tree/sub/d.txt" <(printf 'deep\r\n')
check "console: other names untouched" cmp -s "$tree/e.log" <(printf 'other \r\n')

# Through a pipe as well, and the dialog of console mode saves nothing.
before=$(ini_text "$bin/quillon.ini")
out=$(QUILLON_LANG=en wine_run 120 "$bin/quillon_o.exe" /CUIMODE 2>/dev/null | cat)
check "console: summary through a pipe" test "$(tr -d '\r' <<<"$out")" = "Target files:4, Replaced files:0"
check "console: settings not rewritten" test "$(ini_text "$bin/quillon.ini")" = "$before"

# --- Settings copy -------------------------------------------------------------------

# copy_mode exe, argument, language, expected text: starts the copy, waits for its message
# box (seen through Wine's msgbox trace), leaves the process running in $copy_pid.
copy_mode() {
  local exe=$1 argument=$2 language=$3 expected=$4
  : >"$work/trace"
  QUILLON_LANG=$language WINEDEBUG=-all,trace+msgbox timeout --kill-after=5 120 \
    "$WINE" "$exe" "$argument" >/dev/null 2>"$work/trace" &
  copy_pid=$!
  wait_for 60 grep -q 'MSGBOX_OnInit' "$work/trace"
  check "$argument: message box shown" grep -q 'MSGBOX_OnInit' "$work/trace"
  local shown
  shown=$(grep -m1 'MSGBOX_OnInit' "$work/trace" | sed 's/.*MSGBOX_OnInit //')
  check "$argument: message box text" test "$shown" = "$(wine_debugstr "$expected")"
  check "$argument: the box waits for the user" kill -0 "$copy_pid"
}
finish_copy() {  # window title
  if ((have_xdotool)); then
    wait_for 30 has_window "$1"
    check "$argument: box answered" press "$1" Return
    check "$argument: exit code 0 after the box" ended_with "$copy_pid" 0
  else
    stop "$copy_pid"
    skip "answering the box needs xdotool"
  fi
}

ini "$bin" "TargetPath=$(winpath "$tree")\\*.log" "CrlfTrans=1" "CrlfTransWay=1"
argument=/OR
copy_mode "$bin/quillon_o.exe" /OR en 'Settings saved to HKCU\Software\Orvalent\quillon\CurrentVersion.'
stored=$(wine_run 120 reg query 'HKCU\Software\Orvalent\quillon\CurrentVersion' /v TargetPath 2>/dev/null |
  tr -d '\r')
check "/OR: target in the registry" grep -qF "$(winpath "$tree")\\*.log" <<<"$stored"
finish_copy Tidewright

# The registry run under the plain name converts the .log file to LF.
rm -f "$bin/quillon.ini"
out=$(QUILLON_LANG=en wine_run 120 "$bin/quillon.exe" /CUIMODE 2>/dev/null)
check "registry: run from the copied settings" test "$(tr -d '\r' <<<"$out")" = "Target files:1, Replaced files:1"
check "registry: LF endings" cmp -s "$tree/e.log" <(printf 'other \n')
check "registry: no INI file written" test ! -e "$bin/quillon.ini"

# Back to the INI file, with the Japanese texts.
argument=/RO
copy_mode "$bin/quillon.exe" /RO ja '設定を.\quillon.iniへ保存しました。'
check "/RO: INI file written before the box" test -s "$bin/quillon.ini"
keys=$(ini_text "$bin/quillon.ini" 2>/dev/null | grep -c '=')
check "/RO: every key copied" test "$keys" = 26
check "/RO: target copied" grep -qF "TargetPath=$(winpath "$tree")\\*.log" <(ini_text "$bin/quillon.ini")
finish_copy 'タイドライト'

# --- Interactive ---------------------------------------------------------------------

if ((have_xdotool)); then
  printf 'x \r\n' >"$tree/a.txt"
  ini "$bin" "TargetPath=$(winpath "$tree")\\a.txt" "DelRightWhiteSpace=1" "CrlfTrans=1" \
    "CrlfTransWay=1" "FileBackup=1"
  QUILLON_LANG=en timeout --kill-after=5 120 "$WINE" "$bin/quillon_o.exe" >/dev/null 2>&1 &
  dialog_pid=$!
  check "dialog: opens" wait_for 60 has_window Tidewright
  # Enter presses Start, the default button; the results dialog follows the run.
  press Tidewright Return
  check "dialog: results shown" wait_for 30 has_window '実行結果'
  check "dialog: file converted by Start" cmp -s "$tree/a.txt" <(printf 'x\n')
  check "dialog: backup written" cmp -s "$tree/a.txt.bak" <(printf 'x \r\n')
  press '実行結果' Return
  # Closing it saves the settings first; on a busy machine that and Wine's own closing of
  # a dialog take a while, and the main dialog takes no key before it is gone.
  check "dialog: results closed" \
    wait_for 30 bash -c "! xdotool search --onlyvisible --name '^実行結果\$' >/dev/null"
  # Esc closes the main dialog and saves the settings, from the main dialog only.
  press Tidewright Escape
  if ended_with "$dialog_pid" 0; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: dialog: Esc closes it with exit code 0"
    stop "$dialog_pid"
  fi
  saved=$(ini_text "$bin/quillon.ini")
  check "dialog: settings saved on close" grep -qF "TargetPath=$(winpath "$tree")\\a.txt" <<<"$saved"
  check "dialog: every key saved" test "$(grep -c '=' <<<"$saved")" = 26
else
  skip "the interactive run needs xdotool"
fi

echo "quillon wine e2e: $passed passed, $failed failed, $skipped skipped"
finish
