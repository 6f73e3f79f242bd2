#!/usr/bin/env bash
# The help file under Wine: the Help button and F1 of quillon.exe open the help viewer
# for quillon.chm beside the program, owned by the dialog, in both languages; without the
# help file or without the help control nothing at all is shown and the dialog goes on.
#
#   help_test.sh path/to/quillon.exe path/to/quillon_probe.exe path/to/quillon.chm
#
# Runs inside its own X server (xvfb-run) with a fresh Wine prefix of its own. Wine draws
# the viewer's frame, contents and toolbar; the pages stay empty, as the tests keep Wine's
# HTML engine off. F1 is pressed with xdotool; without it that step is skipped.
set -u

if [[ $# -ne 3 || ! -f $1 || ! -f $2 || ! -f $3 ]]; then
  echo "usage: $0 path/to/quillon.exe path/to/quillon_probe.exe path/to/quillon.chm" >&2
  exit 2
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/wine_lib.sh"
wine_under_xvfb "$@"
program=$(readlink -f "$1")
probe_exe=$(readlink -f "$2")
chm=$(readlink -f "$3")
# Always a fresh prefix of its own.
unset WINEPREFIX
wine_setup help-e2e
# The help file's title and contents are in code page 932, which Wine takes as the
# system's code page from a Japanese locale: one is made for this test when the system
# has none.
# Only Wine is given it (bash would warn that it cannot switch to it).
title_checked=0
japanese=()
if mkdir -p "$work/locale" &&
  localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" >/dev/null 2>&1; then
  japanese=(LOCPATH="$work/locale" LC_ALL=ja_JP.UTF-8)
  title_checked=1
fi
have_xdotool=0
command -v xdotool >/dev/null 2>&1 && have_xdotool=1

started=()
cleanup_more() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
}

probe() {
  timeout --kill-after=5 60 env "${japanese[@]}" "$WINE" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'
}
dialog_gone() { [[ $(probe gone "$1" 15000) == gone ]]; }

timeout 300 env "${japanese[@]}" "$WINE" wineboot -i >/dev/null 2>&1
"$WINESERVER" -w

with_help="$work/with help"
without_help="$work/without help"
mkdir -p "$with_help" "$without_help"
cp "$program" "$with_help/quillon.exe"
cp "$chm" "$with_help/quillon.chm"
cp "$program" "$without_help/quillon.exe"

start_quillon() {  # language, folder [extra environment...]: starts quillon.exe there
  local language=$1 folder=$2
  shift 2
  (cd / && env "${japanese[@]}" QUILLON_LANG="$language" "$@" "$WINE" "$folder/quillon.exe" \
    >/dev/null 2>&1) &
  started+=($!)
}

press_f1() {  # caption
  local id
  id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
  [[ -n $id ]] || return 1
  xdotool windowfocus --sync "$id" key F1
}

for language in en ja; do
  if [[ $language == en ]]; then caption=Tidewright; else caption=タイドライト; fi

  # Help button: the viewer opens quillon.chm from the program's folder (the current
  # directory of the start was /), owned by the dialog.
  start_quillon "$language" "$with_help"
  expect_eq "$language: dialog" found "$(probe wait "$caption" 60000)"
  probe command "$caption" 9 >/dev/null
  shown=$(probe helpwindow "$caption" 30000)
  check "$language: Help opens the viewer, owned by the dialog" grep -q '^visible 1$' <<<"$shown"
  if ((title_checked)); then
    expect_eq "$language: viewer title" "title タイドライト ヘルプ" "$(head -1 <<<"$shown")"
  else
    skip "$language: viewer title (no Japanese locale for Wine)"
  fi
  expect_eq "$language: viewer closes" closed "$(probe closehelp)"

  # F1: the dialog's help request opens it again.
  if ((have_xdotool)); then
    if press_f1 "$caption"; then
      check "$language: F1 opens the viewer" grep -q '^visible 1$' \
        <<<"$(probe helpwindow "$caption" 30000)"
    else
      bad "$language: F1 could not be pressed"
    fi
    probe closehelp >/dev/null
  else
    skip "$language: F1 (no xdotool)"
  fi

  # The dialog still works: Exit closes it.
  probe command "$caption" 2 >/dev/null
  check "$language: dialog closes after help" dialog_gone "$caption"
done

# No help file beside the program: nothing is shown, no message, and the dialog goes on.
start_quillon en "$without_help"
expect_eq "no help file: dialog" found "$(probe wait Tidewright 60000)"
probe command Tidewright 9 >/dev/null
expect_eq "no help file: no viewer" none "$(probe nohelpwindow 5000)"
check "no help file: no message box" test -z "$(xdotool search --onlyvisible --name '^Tidewright$' 2>/dev/null | sed -n 2p)"
probe command Tidewright 2 >/dev/null
check "no help file: dialog closes" dialog_gone Tidewright
rm -f "$without_help/quillon.ini"

# The help control cannot be loaded (Wine's is switched off): Help and F1 do nothing,
# twice, and quietly.
start_quillon ja "$with_help" WINEDLLOVERRIDES="mscoree,mshtml=;hhctrl.ocx=d"
expect_eq "no help control: dialog" found "$(probe wait タイドライト 60000)"
probe command タイドライト 9 >/dev/null
probe command タイドライト 9 >/dev/null
((have_xdotool)) && press_f1 タイドライト
expect_eq "no help control: no viewer" none "$(probe nohelpwindow 5000)"
probe command タイドライト 2 >/dev/null
check "no help control: dialog closes" dialog_gone タイドライト

finish help_test
