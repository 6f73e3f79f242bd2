#!/usr/bin/env bash
# The dark theme of the Windows quillon.exe under Wine, read back from the real windows'
# pixels through quillon_probe.exe: the dialog's background and texts, a disabled check
# box, the switch while the dialog is open, a message box, and the light theme where the
# preference is off, missing or the system older than Windows 10. The About box follows
# the preference on every Windows version, its report's confirmation box with the program.
#
#   dark_theme_test.sh path/to/quillon.exe path/to/quillon_probe.exe
#
# Runs inside its own X server (xvfb-run) and always in a Wine prefix of its own, as it
# changes the prefix's Windows version and the user's theme preference.
# Prints "N passed, M failed" and exits non-zero when anything failed.
set -u

if [[ $# -ne 2 || ! -f $1 || ! -f $2 ]]; then
  echo "usage: $0 path/to/quillon.exe path/to/quillon_probe.exe" >&2
  exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
wine_under_xvfb "$@"
# It changes the prefix's Windows version and the user's theme preference: always a
# prefix of its own.
unset WINEPREFIX
wine_setup dark

bin="$work/bin"
mkdir -p "$bin"
cp "$1" "$bin/quillon_o.exe"
probe_exe=$(readlink -f "$2")
quietly() { "$@" >/dev/null 2>&1; }

personalize_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize'
prefer() {  # prefer 0|1|none: the user's AppsUseLightTheme
  if [[ $1 == none ]]; then
    quietly wine_run 60 reg delete "$personalize_key" /v AppsUseLightTheme /f
  else
    quietly wine_run 60 reg add "$personalize_key" /v AppsUseLightTheme /t REG_DWORD /d "$1" /f
  fi
}
windows_version() { quietly wine_run 120 winecfg /v "$1"; }

# The first start prepares the prefix.
quietly wine_run 300 wineboot -i
"$WINESERVER" -w

dialog_pid=""
open_dialog() {  # open_dialog LANGUAGE CAPTION: the dialog, shown
  QUILLON_LANG=$1 timeout --kill-after=5 300 "$WINE" "$bin/quillon_o.exe" >/dev/null 2>&1 &
  dialog_pid=$!
  [[ $(probe wait "$2" 60000) == found ]]
}
close_dialog() {  # close_dialog CAPTION: Exit pressed; the process must end
  probe command "$1" 2 >/dev/null
  wait_for 30 bash -c "! kill -0 $dialog_pid 2>/dev/null" || kill "$dialog_pid" 2>/dev/null
  wait "$dialog_pid" 2>/dev/null
}
# A box the program shows: the copy of the INI settings into the registry says it is done.
box_pid=""
open_box() {  # open_box LANGUAGE CAPTION: the copy's message box, shown
  QUILLON_LANG=$1 timeout --kill-after=5 300 "$WINE" "$bin/quillon_o.exe" /OR >/dev/null 2>&1 &
  box_pid=$!
  [[ $(probe wait "$2" 60000) == found ]]
}
close_box() {  # close_box CAPTION: OK pressed; the process must end
  probe command "$1" 1 >/dev/null
  wait_for 30 bash -c "! kill -0 $box_pid 2>/dev/null" || kill "$box_pid" 2>/dev/null
  wait "$box_pid" 2>/dev/null
}
# The About box (English) over the main dialog.
open_about() {
  open_dialog en Tidewright || return 1
  probe command Tidewright 1015 >/dev/null
  [[ $(probe wait About 20000) == found ]]
}
close_about() {
  probe command About 2 >/dev/null
  probe gone About 10000 >/dev/null
  close_dialog Tidewright
}
# The confirmation box of "Environment Information", shown over the About box.
open_report() {
  probe command About 2005 >/dev/null
  [[ $(probe wait VantoriaLite 20000) == found ]]
}
close_report() {  # Cancel: the clipboard is left alone
  probe command VantoriaLite 2 >/dev/null
  probe gone VantoriaLite 10000 >/dev/null
}
# shows CAPTION ID X Y "R G B": that point of the window has that colour (polled, as the
# program paints after it has been shown or told).
shows() { [[ $(probe pixel "$1" "$2" "$3" "$4") == "$5" ]]; }
settles() { wait_for 10 shows "$@"; }
# painted MIN CAPTION ID R G B: more than MIN pixels of the control have that colour,
# polled like shows: a text may be painted after its background.
more_than() { local min=$1 count; shift; count=$(probe count "$@"); [[ ${count:-0} -gt $min ]]; }
painted() { wait_for 10 more_than "$@"; }
# The rectangle ("x y width height") of the dialog's first control with this id.
control_rect() { probe controls "$1" | awk -v id="$2" '$1 == id { print $2, $3, $4, $5; exit }'; }

printf '[Main]\r\nTargetPath=C:\\\r\n' | iconv -f utf-8 -t utf-16le >"$bin/quillon.ini"
face=$(probe syscolor 15)
dark="56 56 56"

# --- An older system: light whatever the preference says -------------------------------

windows_version win7
prefer 0
if check "Windows 7: dialog shown" open_dialog en Tidewright; then
  check "Windows 7 with the dark preference: system background" settles Tidewright 0 3 3 "$face"
fi
close_dialog Tidewright
# The About box reads the preference without asking for the Windows version: dark over a
# light main dialog; its message boxes are the program's, light with it.
if check "Windows 7: About box shown" open_about; then
  check "Windows 7: About box dark" settles About 0 3 3 "$dark"
  check "Windows 7: main dialog still light" settles Tidewright 0 3 3 "$face"
  if check "Windows 7: report confirmation shown" open_report; then
    check "Windows 7: report confirmation light" settles VantoriaLite 0 3 3 "$face"
  fi
  close_report
fi
close_about

# --- Windows 10, dark ------------------------------------------------------------------

windows_version win10
if check "dark: dialog shown" open_dialog en Tidewright; then
  check "dark: background" settles Tidewright 0 3 3 "$dark"
  # The first label ("Target file name: ...") and a check box's text (right of its box)
  # are white.
  label=$(control_rect Tidewright -1)
  white=$(probe count Tidewright 0 255 255 255 $label)
  check "dark: label text white ($white pixels)" test "${white:-0}" -gt 20
  white=$(probe count Tidewright 1023 255 255 255 18 0 200 30)
  check "dark: check box text white ($white pixels)" test "${white:-0}" -gt 20
  check "dark: no black label text" test "$(probe count Tidewright 0 0 0 0 $label)" = 0

  # match_single_line is disabled while regular expressions are off; checked, it still
  # shows an empty grey box and grey text.
  probe setcheck Tidewright 1021 1
  sleep 0.5
  check "disabled check box: outline" settles Tidewright 1021 0 0 "127 127 127"
  expect_eq "disabled check box: outline corner" "127 127 127" \
    "$(probe pixel Tidewright 1021 13 13)"
  expect_eq "disabled check box: empty box" 144 "$(probe count Tidewright 1021 76 76 76 1 1 12 12)"
  grey=$(probe count Tidewright 1021 127 127 127 18 0 200 30)
  check "disabled check box: grey text ($grey pixels)" test "${grey:-0}" -gt 20
  check "disabled check box: no white text" test "$(probe count Tidewright 1021 255 255 255)" = 0

  # The switch while the dialog is open, both ways.
  prefer 1
  probe settingchange ImmersiveColorSet
  check "switched to light: background" settles Tidewright 0 3 3 "$face"
  white=$(probe count Tidewright 1023 255 255 255 18 0 200 30)
  check "switched to light: no white text ($white pixels)" test "${white:-1}" = 0
  prefer 0
  probe settingchange ImmersiveColorSet
  check "switched back to dark: background" settles Tidewright 0 3 3 "$dark"
fi
close_dialog Tidewright

if check "dark: About box shown" open_about; then
  check "dark About box: background" settles About 0 3 3 "$dark"
  painted 20 About 2004 255 255 255 || true
  white=$(probe count About 2004 255 255 255)
  check "dark About box: description text white ($white pixels)" test "${white:-0}" -gt 20
  if check "dark: report confirmation shown" open_report; then
    check "dark report confirmation: background" settles VantoriaLite 0 3 3 "$dark"
    painted 20 VantoriaLite 65535 255 255 255 || true
    white=$(probe count VantoriaLite 65535 255 255 255)
    check "dark report confirmation: white text ($white pixels)" test "${white:-0}" -gt 20
  fi
  close_report

  # The switch while the box is open, both ways.
  prefer 1
  probe settingchange ImmersiveColorSet
  check "About box switched to light: background" settles About 0 3 3 "$face"
  painted 20 About 2004 0 0 0 || true
  black=$(probe count About 2004 0 0 0)
  check "About box switched to light: description text black ($black pixels)" \
    test "${black:-0}" -gt 20
  prefer 0
  probe settingchange ImmersiveColorSet
  check "About box switched back to dark: background" settles About 0 3 3 "$dark"
fi
close_about

if check "dark, Japanese: dialog shown" open_dialog ja タイドライト; then
  check "dark, Japanese: background" settles タイドライト 0 3 3 "$dark"
fi
close_dialog タイドライト

# --- Message boxes -----------------------------------------------------------------------

if check "dark: message box shown" open_box en Tidewright; then
  check "dark message box: background" settles Tidewright 0 3 3 "$dark"
  white=$(probe count Tidewright 65535 255 255 255)
  check "dark message box: white text ($white pixels)" test "${white:-0}" -gt 20
fi
close_box Tidewright

prefer 1
if check "light: message box shown" open_box en Tidewright; then
  check "light message box: system background" settles Tidewright 0 3 3 "$face"
  check "light message box: no white text" test "$(probe count Tidewright 65535 255 255 255)" = 0
fi
close_box Tidewright

# --- Light: the preference off or missing ------------------------------------------------

for preference in 1 none; do
  prefer $preference
  if check "preference $preference: dialog shown" open_dialog en Tidewright; then
    check "preference $preference: system background" settles Tidewright 0 3 3 "$face"
  fi
  close_dialog Tidewright
  if check "preference $preference: About box shown" open_about; then
    check "preference $preference: About box system background" settles About 0 3 3 "$face"
    painted 20 About 2004 0 0 0 || true
    black=$(probe count About 2004 0 0 0)
    check "preference $preference: About box description text black ($black pixels)" \
      test "${black:-0}" -gt 20
  fi
  close_about
done

finish "dark theme"
