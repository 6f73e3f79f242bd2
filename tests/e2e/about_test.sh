#!/usr/bin/env bash
# The About box of the Windows quillon.exe under Wine, in both languages: opened from the
# main dialog's About button, its version text, links, focus, tooltips and Ctrl+A, and the
# environment report: Cancel leaves the clipboard alone, OK puts the report there.
#
#   about_test.sh path/to/quillon.exe path/to/quillon_probe.exe
#
# Runs inside its own X server (xvfb-run); uses $WINEPREFIX when it is set, else a fresh
# prefix of its own. Prints "N passed, M failed" and exits non-zero when anything failed.
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
wine_setup about-e2e
main_pid=
cleanup_more() {
  if [[ -n $main_pid ]]; then kill "$main_pid" 2>/dev/null; wait "$main_pid" 2>/dev/null; fi
}

# One control's line of "probe controls": id x y width height visible enabled class text.
control_line() { probe controls "$1" | grep -a "^$2 " | head -1; }
visible_flag() { control_line "$1" "$2" | awk '{print $6}'; }
box_says() { probe controls "$1" | grep -aqF "$2"; }
ends() { probe gone "$1" 10000 >/dev/null; }

bin="$work/bin"
mkdir -p "$bin"
cp "$program" "$bin/quillon.exe"

# The version line the box shows comes from the program's own version resource (its
# Japanese table), which the build puts into quillon.exe.
if strings -el "$program" | grep -qx '041104b0' && strings -el "$program" | grep -qx 'FileVersion'
then
  ok
else
  bad "quillon.exe has no Japanese version table"
fi

# about_run LANG MAIN_CAPTION ABOUT_CAPTION REPORT_CAPTION TOOLS DONE_TEXT
about_run() {
  local lang=$1 main=$2 about=$3 report=$4 tools=$5 done_text=$6
  local label="about ($lang)"
  (cd "$bin" && QUILLON_LANG=$lang exec "$WINE" quillon.exe >/dev/null 2>&1) &
  main_pid=$!
  if ! probe wait "$main" 60000 >/dev/null; then
    bad "$label: main dialog did not open"
    return
  fi
  probe command "$main" 1015
  if ! probe wait "$about" 20000 >/dev/null; then
    bad "$label: About box did not open from the About button"
    return
  fi
  ok

  # Version text: its first line names the product and the version.
  local version first
  version=$(probe text "$about" 2002)
  first=${version%%$'\n'*}
  check "$label: version line" grep -qE "^$main ver\.[0-9]+\.[0-9]{2}\.[0-9]{2}.* \[.*\] \(x64\)$" \
    <<<"$first"
  check "$label: contact block filled" \
    bash -c "[[ \$1 == *'<a id=\"https://'* ]]" _ "$(probe text "$about" 2003)"

  # The build's placeholder pages are set: both links show, the contribution link has the
  # focus, and every control but the English contact block has its tip.
  expect_eq "$label: feedback link shown" 1 "$(visible_flag "$about" 2009)"
  expect_eq "$label: contribution link shown" 1 "$(visible_flag "$about" 2006)"
  expect_eq "$label: focus" 2006 "$(probe focus "$about")"
  expect_eq "$label: tooltips" "$tools" "$(probe tooltipcount "$about")"

  # Ctrl+A (character 1) in the description selects all of it.
  local start end length
  read -r start end length < <(probe selection "$about" 2004)
  check "$label: description not selected at first" test "$start" = "$end"
  probe char "$about" 2004 1
  read -r start end length < <(probe selection "$about" 2004)
  expect_eq "$label: Ctrl+A selects the description" "0 $length" "$start $end"
  check "$label: description filled" test "${length:-0}" -gt 100

  # The report: Cancel leaves the clipboard as it was.
  probe setclipboard "untouched"
  probe command "$about" 2005
  if probe wait "$report" 20000 >/dev/null; then
    check "$label: report shown for confirmation" box_says "$report" "VantoriaLite ver.1.03.01 ["
    probe command "$report" 2
    ends "$report"
    expect_eq "$label: Cancel leaves the clipboard" "untouched" "$(probe clipboard)"
  else
    bad "$label: no confirmation box"
  fi

  # OK puts the report there, ending with the program's version line.
  probe command "$about" 2005
  if probe wait "$report" 20000 >/dev/null; then
    probe command "$report" 1
    if wait_for 20 box_says "$report" "$done_text"; then
      ok
      probe command "$report" 1
      ends "$report"
    else
      bad "$label: no confirmation of the copy"
    fi
    local copied
    copied=$(probe clipboard)
    check "$label: report starts with the module line" \
      grep -q '^VantoriaLite ver\.1\.03\.01 \[' <<<"${copied%%$'\n'*}"
    expect_eq "$label: report ends with the client line" "[Client]
 $first" "$(tail -n 2 <<<"$copied")"
    check "$label: report has the Windows section" grep -qx '\[Windows\]' <<<"$copied"
  else
    bad "$label: no confirmation box the second time"
  fi

  probe command "$about" 2
  check "$label: Close ends the About box" ends "$about"
  probe command "$main" 2
  if wait_for 30 bash -c "! kill -0 $main_pid 2>/dev/null"; then
    wait "$main_pid"
  else
    bad "$label: the program did not end"
    kill "$main_pid" 2>/dev/null
    wait "$main_pid" 2>/dev/null
  fi
  main_pid=
}

about_run en Tidewright About VantoriaLite 4 "Writing data to the clipboard is complete."
about_run ja タイドライト バージョン情報 "環境情報の表示(簡易版)" 5 "クリップボードへコピーしました。"

finish "about"
