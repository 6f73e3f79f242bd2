#!/usr/bin/env bash
# The Windows delivery, checked under Wine in a fresh prefix of its own: the portable zip
# holds what it should; the installer installs silently, its quillonc.exe converts a file,
# it puts the Start-menu shortcut and the uninstall entry in place, /PATH adds the folder
# to PATH, /LANG=1041 names the shortcut in Japanese; the silent uninstaller removes every installed file, the shortcut, the entry
# and the PATH addition, and leaves the user's settings.
#
#   windows_package_test.sh quillon.exe quillonc.exe quillon.chm VERSION
#
# Prints "N passed, M failed"; exits non-zero when anything failed.
set -u

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
if (($# != 4)) || [[ ! -f $1 || ! -f $2 || ! -f $3 ]]; then
  echo "usage: $0 quillon.exe quillonc.exe quillon.chm version" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
version=$4
if ! command -v makensis >/dev/null || ! command -v zip >/dev/null; then
  skip "makensis or zip not installed"
  finish "windows package"
  exit
fi

source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
wine_under_xvfb "$@"
# The installer changes the prefix: always a fresh one.
unset WINEPREFIX
wine_setup package
# File names as UTF-8, so that the Japanese shortcut's name can be made.
export LC_CTYPE=C.UTF-8

if ! bash "$root/scripts/package-win.sh" "$1" "$2" "$3" "$version" "$work/out" >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  bad "package-win.sh failed"
  finish "windows package"
  exit
fi

# --- The portable zip ----------------------------------------------------------------
listing=$(unzip -Z1 "$work/out/quillon-$version.zip" | sort | tr '\n' ' ')
expect_eq "zip contents" \
  "quillon/ quillon/LICENSE.txt quillon/README.txt quillon/quillon.chm quillon/quillon.exe quillon/quillon_o.exe quillon/quillonc.exe quillon/quillonc_o.exe " \
  "$listing"
readme="$work/out/quillon/README.txt"
check "README.txt starts with a UTF-8 mark" test "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf
check "README.txt has CRLF line ends" grep -q $'\r$' "$readme"
check "README.txt is in both languages" grep -q 'Where the settings live' "$readme"
check "README.txt names the version" grep -q "quillon $version" "$readme"
check "README.txt in Japanese" grep -q '設定の保存先' "$readme"
check "LICENSE.txt is the licence" grep -q 'Permission is hereby granted' "$work/out/quillon/LICENSE.txt"

# --- Install -------------------------------------------------------------------------
wine_run 300 wineboot -i >/dev/null 2>&1
"$WINESERVER" -w

setup="$work/out/quillon-$version-setup.exe"
wine_run 300 "$setup" /S /PATH >/dev/null 2>&1
check "installer exit code 0" test $? = 0
"$WINESERVER" -w
installed="$WINEPREFIX/drive_c/Program Files/quillon"
for file in quillon.exe quillonc.exe quillon.chm README.txt LICENSE.txt uninstall.exe; do
  check "installed $file" test -f "$installed/$file"
done
check "no INI-store copies installed" test ! -e "$installed/quillon_o.exe"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tidewright.lnk"
check "Start-menu shortcut named Tidewright" test -f "$shortcut"

reg_value() {  # reg_value KEY NAME: the value's data as reg query prints it
  wine_run 60 reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\quillon'
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
expect_eq "uninstall entry" "Tidewright" "$(reg_value "$uninstall_key" DisplayName)"
expect_eq "uninstall entry version" "$version" "$(reg_value "$uninstall_key" DisplayVersion)"
path_value=$(reg_value "$environment_key" Path)
check "PATH holds the program folder" grep -qi ';C:\\Program Files\\quillon$' <<<"$path_value"

# The installed quillonc converts a file (it starts the installed quillon beside it).
mkdir -p "$work/files"
printf 'one\r\ntwo  \r\n' >"$work/files/a.txt"
QUILLON_LANG=en wine_run 120 "$installed/quillonc.exe" /C:LF /W "$(winpath "$work/files")\\a.txt" \
  >"$work/run.log" 2>&1
check "installed quillonc exit code 0" test $? = 0
"$WINESERVER" -w
if cmp -s "$work/files/a.txt" <(printf 'one\ntwo\n'); then ok; else
  bad "the installed programs did not convert the file"
  tr -d '\r' <"$work/run.log"
fi
settings_key='HKCU\Software\Orvalent\quillon\CurrentVersion'
check "the run stored its settings" test -n "$(reg_value "$settings_key" CrlfTransWay)"

# --- Uninstall -----------------------------------------------------------------------
# The uninstaller copies itself to a temporary folder and runs from there; wineserver -w
# waits for that copy too.
wine_run 300 "$installed/uninstall.exe" /S >/dev/null 2>&1
"$WINESERVER" -w
check "program folder removed" test ! -e "$installed"
check "shortcut removed" test ! -e "$shortcut"
check "uninstall entry removed" test -z "$(reg_value "$uninstall_key" DisplayName)"
path_after=$(reg_value "$environment_key" Path)
check "PATH without the program folder" bash -c '! grep -qi "quillon" <<<"$1"' _ "$path_after"
expect_eq "PATH as before the install" "${path_value%;C:\\Program Files\\quillon}" "$path_after"
check "the user's settings stay" test -n "$(reg_value "$settings_key" CrlfTransWay)"

# A Japanese install names the shortcut in Japanese; its uninstaller finds it again.
wine_run 300 "$setup" /S /LANG=1041 >/dev/null 2>&1
"$WINESERVER" -w
japanese_shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/タイドライト.lnk"
check "Start-menu shortcut named タイドライト" test -f "$japanese_shortcut"
check "no PATH change without /PATH" bash -c '! grep -qi "quillon" <<<"$1"' _ "$(reg_value "$environment_key" Path)"
wine_run 300 "$installed/uninstall.exe" /S >/dev/null 2>&1
"$WINESERVER" -w
check "Japanese shortcut removed" test ! -e "$japanese_shortcut"
check "program folder removed again" test ! -e "$installed"

finish "windows package"
