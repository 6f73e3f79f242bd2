# The harness of the end-to-end scripts that run the Windows programs under Wine; each
# sources it after lib.sh and starts with
#   wine_under_xvfb "$@"   # the script again, inside an X server of its own
#   wine_setup NAME        # $work, the Wine prefix, the variables, the cleanup at exit
# A script with more to clean up at exit defines cleanup_more.

WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

# wine_under_xvfb ARGS...: runs the script again with ARGS inside its own X server (a
# dialog needs a display even in console mode; Wine, the probe and xdotool share it),
# unless it already runs in one. QUILLON_E2E_SCREEN sets the screen size (1024x768).
wine_under_xvfb() {
  if [[ -z ${QUILLON_E2E_UNDER_XVFB:-} ]]; then
    exec env QUILLON_E2E_UNDER_XVFB=1 xvfb-run -a \
      -s "-screen 0 ${QUILLON_E2E_SCREEN:-1024x768}x24" bash "$0" "$@"
  fi
}

# wine_setup NAME: a temporary folder $work (/tmp/quillon-NAME.XXXXXX), removed at exit; a
# Wine prefix of its own in it unless WINEPREFIX is set (own_prefix tells which); the
# Wine settings of the tests; and a crash ends the program instead of waiting in the
# debugger.
wine_setup() {
  work=$(mktemp -d "/tmp/quillon-$1.XXXXXX")
  own_prefix=0
  if [[ -z ${WINEPREFIX:-} ]]; then
    export WINEPREFIX="$work/prefix"
    own_prefix=1
  fi
  # No Mono or Gecko installer prompts: nothing here needs them.
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap wine_cleanup EXIT
  wine_run 300 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1 || echo "could not prepare the Wine prefix"
}

wine_cleanup() {
  if declare -F cleanup_more >/dev/null; then cleanup_more; fi
  if ((own_prefix)); then "$WINESERVER" -k >/dev/null 2>&1; fi
  rm -rf "$work"
}

wine_run() {  # wine_run SECONDS PROGRAM ARGS...: the program's exit code
  local seconds=$1
  shift
  timeout --kill-after=5 "$seconds" "$WINE" "$@"
}

# probe COMMAND ARGS...: quillon_probe.exe (at $probe_exe), its output without the CRs.
probe() { wine_run 60 "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
