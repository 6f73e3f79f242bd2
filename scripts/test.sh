#!/usr/bin/env bash
# Builds what is missing, then runs
#   1. the native unit tests (ctest in build/),
#   2. the Windows unit tests under Wine (build-win/quillon_tests.exe),
#   3. a smoke run of the Windows quillon.exe under Wine.
# Ends with a line "N passed, M failed" and a non-zero exit code on any failure.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

need_setup=0
for tool in cmake ninja x86_64-w64-mingw32-g++-posix xvfb-run xauth "$WINE"; do
  command -v "$tool" >/dev/null 2>&1 || need_setup=1
done
if ((need_setup)); then
  bash scripts/setup.sh || { echo "test: setup failed"; echo "0 passed, 1 failed"; exit 1; }
else
  bash scripts/setup.sh --build-only || { echo "test: build failed"; echo "0 passed, 1 failed"; exit 1; }
fi

passed=0
failed=0
WORK=$(mktemp -d /tmp/quillon-test.XXXXXX)

# One fresh Wine prefix for this run; its first start (wineboot) takes a while.
export WINEPREFIX="$WORK/wineprefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono/Gecko installer prompts: nothing here needs them and there is no network.
export WINEDLLOVERRIDES="mscoree,mshtml="

cleanup() {
  if [[ -d "$WINEPREFIX" ]]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

wine_run() {  # wine_run SECONDS program args...: exit code of the program
  local seconds=$1
  shift
  timeout --kill-after=10 "$seconds" xvfb-run -a "$WINE" "$@"
}

# 1. Native tests.
echo "== native tests (ctest)"
ctest_log="$WORK/ctest.log"
ctest --test-dir build --output-on-failure --timeout 300 2>&1 | tee "$ctest_log"
ctest_status=${PIPESTATUS[0]}
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$ctest_log" | tail -1)
if [[ -n "$summary" ]]; then
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  if ((ctest_status != 0 && bad == 0)); then failed=$((failed + 1)); fi
else
  echo "test: ctest ran no test"
  failed=$((failed + 1))
fi

# 2. Windows tests under Wine.
echo "== Windows tests (Wine)"
# A crash must end the process instead of starting the debugger and waiting.
wine_run 300 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1 || echo "test: could not prepare the Wine prefix"
wine_log="$WORK/wine-tests.log"
wine_run 900 "$ROOT/build-win/quillon_tests.exe" 2>&1 | tr -d '\r' | tee "$wine_log"
wine_status=${PIPESTATUS[0]}
good=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$wine_log" | tail -1)
bad=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$wine_log" | tail -1)
if [[ -z "$good" && -z "$bad" ]]; then
  echo "test: the Windows test program ended without a result (exit code $wine_status)"
  failed=$((failed + 1))
else
  passed=$((passed + ${good:-0}))
  failed=$((failed + ${bad:-0}))
  if ((wine_status != 0 && ${bad:-0} == 0)); then
    echo "test: the Windows test program exited with $wine_status"
    failed=$((failed + 1))
  fi
fi

# 3. Smoke run of the Windows program.
echo "== Windows smoke run (Wine)"
smoke="$WORK/smoke"
mkdir -p "$smoke"
sample=$(find samples -maxdepth 1 -type f -name '*.txt' 2>/dev/null | sort | head -1)
if [[ -n "$sample" ]]; then cp "$sample" "$smoke/"; else printf 'sample line\r\n' >"$smoke/sample.txt"; fi
(cd "$smoke" && wine_run 120 "$ROOT/build-win/quillon.exe") >"$WORK/smoke.log" 2>&1
smoke_status=$?
tr -d '\r' <"$WORK/smoke.log"
if ((smoke_status == 0)); then
  echo "smoke: quillon.exe started and exited with 0"
  passed=$((passed + 1))
else
  echo "smoke: quillon.exe exited with $smoke_status"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
((failed == 0))
