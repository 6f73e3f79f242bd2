#!/usr/bin/env bash
# Builds what is missing, then runs
#   1. the native unit tests (ctest in build/, each test in its own process, then all of
#      them in one process in random order),
#   2. the Windows unit tests under Wine (build-win/quillon_tests.exe, in random order),
#   3. the Windows end-to-end tests registered in build-win (under Wine),
#   4. a smoke run of the Windows quillon.exe under Wine,
#   5. the native unit and end-to-end tests built with the address and undefined-behaviour
#      sanitizers (scripts/sanitize.sh, build-asan/),
#   6. each fuzz target for 30 seconds from its seeds (scripts/fuzz.sh, build-fuzz/),
#   7. the Debian package built from build/ and checked (scripts/package.sh).
# QUILLON_QUICK=1 leaves out 5, 6 and 7 (CI always runs them).
# Ends with a line "N passed, M failed" and a non-zero exit code on any failure.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

need_setup=0
for tool in cmake ninja x86_64-w64-mingw32-g++-posix xvfb-run xauth "$WINE" clang++ llvm-symbolizer-14 \
  lintian dpkg-shlibdeps groff man makensis zip unzip chmcmd extract_chmLib import; do
  command -v "$tool" >/dev/null 2>&1 || need_setup=1
done
compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || need_setup=1
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

# All native unit tests in one process in random order: a test that depends on what an
# earlier one left behind fails here. The same order comes back with
# build/quillon_tests --gtest_shuffle --gtest_random_seed=SEED.
seed=$((RANDOM % 99999 + 1))
echo "== native unit tests in one process, shuffled (seed $seed)"
if ./build/quillon_tests --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1; then
  passed=$((passed + 1))
else
  echo "test: the shuffled native unit tests failed (seed $seed)"
  failed=$((failed + 1))
fi

# 2. Windows tests under Wine, in random order (one process, as on Windows).
echo "== Windows tests (Wine)"
# A crash must end the process instead of starting the debugger and waiting.
wine_run 300 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1 || echo "test: could not prepare the Wine prefix"
wine_log="$WORK/wine-tests.log"
wine_run 900 "$ROOT/build-win/quillon_tests.exe" --gtest_shuffle 2>&1 | tr -d '\r' | tee "$wine_log"
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

# 3. Windows end-to-end tests registered with CTest in build-win (run under Wine).
if ctest --test-dir build-win -N 2>/dev/null | grep -qE '^Total Tests: [1-9]'; then
  echo "== Windows end-to-end tests (ctest in build-win, Wine)"
  winctest_log="$WORK/ctest-win.log"
  timeout --kill-after=10 1500 xvfb-run -a ctest --test-dir build-win --output-on-failure \
    2>&1 | tee "$winctest_log"
  winctest_status=${PIPESTATUS[0]}
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$winctest_log" | tail -1)
  if [[ -n "$summary" ]]; then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    if ((winctest_status != 0 && bad == 0)); then failed=$((failed + 1)); fi
  else
    echo "test: ctest in build-win gave no result (exit code $winctest_status)"
    failed=$((failed + 1))
  fi
fi

# 4. Smoke run of the Windows program: the INI-store copy (quillon_o.exe) in console
# mode trims trailing white space and writes LF endings in a folder of sample copies.
echo "== Windows smoke run (Wine)"
smoke="$WORK/smoke"
mkdir -p "$smoke/bin" "$smoke/files"
cp build-win/quillon.exe "$smoke/bin/quillon_o.exe"
cp samples/*.txt "$smoke/files/" 2>/dev/null || true
printf 'first \r\nsecond\t\r\n' >"$smoke/files/smoke.txt"
to_wine_path() { local path=$1; printf 'Z:%s' "${path//\//\\}"; }
{
  printf '\xff\xfe'
  printf '[Main]\r\nTargetPath=%s\\*.txt\r\nDelRightWhiteSpace=1\r\nCrlfTrans=1\r\nCrlfTransWay=1\r\nSearchSubFolders=0\r\n' \
    "$(to_wine_path "$smoke/files")" | iconv -f utf-8 -t utf-16le
} >"$smoke/bin/quillon.ini"
(cd "$smoke" && QUILLON_LANG=en wine_run 120 "$smoke/bin/quillon_o.exe" /CUIMODE) \
  >"$WORK/smoke.log" 2>&1
smoke_status=$?
tr -d '\r' <"$WORK/smoke.log"
echo
smoke_ok=1
if ((smoke_status != 0)); then
  echo "smoke: quillon_o.exe exited with $smoke_status"
  smoke_ok=0
elif ! cmp -s "$smoke/files/smoke.txt" <(printf 'first\nsecond\n'); then
  echo "smoke: smoke.txt was not converted:"
  od -c "$smoke/files/smoke.txt" | head -5
  smoke_ok=0
elif ! grep -q 'Replaced files:' "$WORK/smoke.log"; then
  echo "smoke: no summary line"
  smoke_ok=0
fi
if ((smoke_ok)); then
  echo "smoke: quillon_o.exe converted the sample copies"
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

# 5. and 6. The checking builds; each script ends with its own "N passed, M failed".
add_counts() {  # add_counts LOG STATUS: adds the log's closing counts
  local log=$1 status=$2 counts
  counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
  if [[ -z "$counts" ]]; then
    echo "test: $(basename "$log" .log) gave no result (exit code $status)"
    failed=$((failed + 1))
    return
  fi
  passed=$((passed + ${counts%% passed*}))
  local bad=${counts#*passed, }
  bad=${bad%% failed}
  failed=$((failed + bad))
  if ((status != 0 && bad == 0)); then failed=$((failed + 1)); fi
}
if [[ "${QUILLON_QUICK:-0}" == 1 ]]; then
  echo "== sanitizer build and fuzzing left out (QUILLON_QUICK=1)"
else
  echo "== native tests with sanitizers (build-asan)"
  bash scripts/sanitize.sh 2>&1 | tee "$WORK/sanitize.log"
  add_counts "$WORK/sanitize.log" "${PIPESTATUS[0]}"
  echo "== fuzzing (build-fuzz)"
  bash scripts/fuzz.sh 30 2>&1 | tee "$WORK/fuzz.log"
  add_counts "$WORK/fuzz.log" "${PIPESTATUS[0]}"
fi

# 7. The Debian package.
if [[ "${QUILLON_QUICK:-0}" == 1 ]]; then
  echo "== Debian package left out (QUILLON_QUICK=1)"
else
  echo "== Debian package (build/)"
  bash scripts/package.sh 2>&1 | tee "$WORK/package.log"
  add_counts "$WORK/package.log" "${PIPESTATUS[0]}"
fi

echo "$passed passed, $failed failed"
((failed == 0))
