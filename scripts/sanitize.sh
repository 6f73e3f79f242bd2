#!/usr/bin/env bash
# Builds the native unit tests and programs with the address and undefined-behaviour
# sanitizers (g++, build-asan/) and runs ctest there: the unit tests and the end-to-end
# tests, which then run the sanitized quillon and quillonc. Any finding ends the program
# that made it; findings of programs started by the tests are collected from their logs
# as well, so that a script which looks only at output cannot miss one.
# Ends with a line "N passed, M failed" and a non-zero exit code on any failure.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
BUILD=build-asan
JOBS=${QUILLON_JOBS:-2}

if [[ ! -f "$BUILD/build.ninja" ]]; then
  echo "sanitize: configuring $BUILD"
  # -O1 keeps the build and the runs quick; ICU stays static as in the real programs.
  cmake -S . -B "$BUILD" -G Ninja -DQUILLON_WERROR=ON -DQUILLON_SANITIZE=address,undefined \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" ||
    { echo "sanitize: configure failed"; echo "0 passed, 1 failed"; exit 1; }
fi
echo "sanitize: building $BUILD"
cmake --build "$BUILD" -j "$JOBS" || { echo "sanitize: build failed"; echo "0 passed, 1 failed"; exit 1; }

logs=$(mktemp -d /tmp/quillon-sanitize.XXXXXX)
trap 'rm -rf "$logs"' EXIT
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:log_path=$logs/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$logs/ubsan"

ctest_log="$logs/ctest.log"
ctest --test-dir "$BUILD" --output-on-failure --timeout 600 2>&1 | tee "$ctest_log"
ctest_status=${PIPESTATUS[0]}

passed=0
failed=0
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$ctest_log" | tail -1)
if [[ -n "$summary" ]]; then
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((total - bad))
  failed=$bad
  if ((ctest_status != 0 && bad == 0)); then failed=$((failed + 1)); fi
else
  echo "sanitize: ctest ran no test"
  failed=$((failed + 1))
fi

reports=("$logs"/asan.* "$logs"/ubsan.*)
found=0
for report in "${reports[@]}"; do
  [[ -s "$report" ]] || continue
  found=1
  echo "== sanitizer report ${report##*/}"
  cat "$report"
done
if ((found)); then
  echo "sanitize: the sanitizers reported findings (above)"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
((failed == 0))
