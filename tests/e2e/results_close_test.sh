#!/usr/bin/env bash
# Closing the results dialog under Wine (Esc, OK, the close box): it saves the main
# dialog's settings (a check box changed before the run reaches quillon.ini), and a store
# that cannot be written brings the cannot-save warning, with the main dialog still open
# afterwards.
#
#   results_close_test.sh path/to/quillon.exe path/to/quillon_probe.exe
#
# Runs inside its own X server (xvfb-run) and its own Wine prefix unless $WINEPREFIX is set.
# Prints "N passed, M failed" and exits non-zero when anything failed.
set -u

if [[ $# -ne 2 || ! -f $1 || ! -f $2 ]]; then
  echo "usage: $0 path/to/quillon.exe path/to/quillon_probe.exe" >&2
  exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
wine_under_xvfb "$@"
program=$(readlink -f "$1")
probe_exe=$(readlink -f "$2")
wine_setup results-close
# The results dialog's caption reaches the probe's command line as UTF-8.
export LC_ALL=C.UTF-8
cleanup_more() { if [[ -n ${pid:-} ]]; then kill "$pid" 2>/dev/null; fi; }

results=実行結果
kIdBackup=1023
kIdFullWidthToOne=1032  # the messages field's id in the results dialog

bin="$work/bin"
tree="$work/tree"
mkdir -p "$bin" "$tree"
cp "$program" "$bin/quillon_o.exe"
printf 'x \r\n' >"$tree/a.txt"
ini "$bin" "TargetPath=$(winpath "$tree")\\a.txt" "DelRightWhiteSpace=1"

QUILLON_LANG=en timeout --kill-after=5 300 "$WINE" "$bin/quillon_o.exe" >/dev/null 2>&1 &
pid=$!
check "dialog opens" test "$(probe wait Tidewright 60000)" = found

# Two check boxes changed in the dialog, then a run.
check "backup checked" test "$(probe check Tidewright $kIdBackup 1)" = "checked 1"
check "full-width to one checked" \
  test "$(probe check Tidewright $kIdFullWidthToOne 1)" = "checked 1"
probe command Tidewright 1 >/dev/null
check "results shown" test "$(probe wait "$results" 30000)" = found
check "the run used the dialog's settings" cmp -s "$tree/a.txt.bak" <(printf 'x \r\n')
check "nothing saved before the results close" \
  test "$(ini_text "$bin/quillon.ini" | grep -c '^ZenSp2Sp=1$')" = 0

# Esc closes the results: the main dialog's settings are saved.
probe key "$results" escape
check "results closed by Esc" test "$(probe gone "$results" 10000)" = gone
saved=$(ini_text "$bin/quillon.ini")
check "saved: the changed check boxes" \
  test "$(grep -cx -e 'FileBackup=1' -e 'ZenSp2Sp=1' <<<"$saved")" = 2
check "saved: the target" grep -qxF "TargetPath=$(winpath "$tree")\\a.txt" <<<"$saved"
check "saved: every key" test "$(grep -c '=' <<<"$saved")" = 26
check "saved: nothing of the results dialog" grep -qx 'WriteEncode=0' <<<"$saved"
check "main dialog still open" test "$(probe wait Tidewright 5000)" = found

# A folder in the INI file's place: OK on the results brings the warning.
printf 'y \r\n' >"$tree/a.txt"
probe command Tidewright 1 >/dev/null
check "second run: results shown" test "$(probe wait "$results" 30000)" = found
rm -f "$bin/quillon.ini"
mkdir "$bin/quillon.ini"
probe command "$results" 2 >/dev/null
shown=$(probe box Tidewright 30000 1)
check "cannot-save warning shown" grep -qxF 'text Cannot save settings - .\quillon.ini.' <<<"$shown"
check "main dialog still open after the warning" kill -0 "$pid"
rmdir "$bin/quillon.ini"

# The close box saves as well: the backup box unchecked before a third run.
check "backup unchecked" test "$(probe check Tidewright $kIdBackup 0)" = "checked 0"
printf 'z \r\n' >"$tree/a.txt"
probe command Tidewright 1 >/dev/null
check "third run: results shown" test "$(probe wait "$results" 30000)" = found
check "third run: the store not written before the close" test ! -e "$bin/quillon.ini"
probe close "$results"
check "results closed by the close box" test "$(probe gone "$results" 10000)" = gone
check "close box: saved" grep -qx 'FileBackup=0' <(ini_text "$bin/quillon.ini")

# The main dialog closes as ever, saving its settings.
probe command Tidewright 2 >/dev/null
wait "$pid"
code=$?
pid=
check "main dialog closed with exit code 0" test $code = 0
check "closing the main dialog saved" grep -qx 'ZenSp2Sp=1' <(ini_text "$bin/quillon.ini")

finish "results close e2e"
