#!/usr/bin/env bash
# Builds the fuzz targets in fuzz/ with clang++ and libFuzzer (build-fuzz/) and runs each
# for a bounded time, starting from its committed seeds in fuzz/corpus/<name>/:
#   read_text_fuzz    reading and decoding a file under every encoding, then writing it
#   ini_file_fuzz     the INI reader and writer
#   registry_fuzz     the .reg file that stands in for the registry on Linux
#   cli_options_fuzz  quillonc's option parser
# A crash, a sanitizer finding, a timeout or running out of memory fails the target; its
# input is kept in build-fuzz/findings/ and shown in hex.
# Usage: fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 30 s, all targets)
# Ends with a line "N passed, M failed" and a non-zero exit code on any failure.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
BUILD=build-fuzz
JOBS=${QUILLON_JOBS:-2}
SECONDS_EACH=${1:-30}
shift || true
TARGETS=("$@")
if ((${#TARGETS[@]} == 0)); then
  TARGETS=(read_text_fuzz ini_file_fuzz registry_fuzz cli_options_fuzz)
fi

if [[ ! -f "$BUILD/build.ninja" ]]; then
  echo "fuzz: configuring $BUILD"
  # Warnings are the g++ builds' business: clang's own set would fail here on code the
  # other builds accept.
  CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DQUILLON_FUZZ=ON -DQUILLON_WERROR=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" ||
    { echo "fuzz: configure failed"; echo "0 passed, 1 failed"; exit 1; }
fi
echo "fuzz: building $BUILD"
cmake --build "$BUILD" -j "$JOBS" || { echo "fuzz: build failed"; echo "0 passed, 1 failed"; exit 1; }

work=$(mktemp -d /tmp/quillon-fuzz.XXXXXX)
# The targets that read and write real files do so in memory where the system has a
# file system there: about a third more runs in the same time.
if [[ -d /dev/shm && -w /dev/shm ]]; then
  scratch=$(mktemp -d /dev/shm/quillon-fuzz.XXXXXX)
else
  scratch="$work/scratch"
fi
trap 'rm -rf "$work" "$scratch"' EXIT
# Stacks with file and line where the symbolizer is installed.
if [[ -z "${ASAN_SYMBOLIZER_PATH:-}" && -x /usr/lib/llvm-14/bin/llvm-symbolizer ]]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi
findings="$ROOT/$BUILD/findings"
passed=0
failed=0
for target in "${TARGETS[@]}"; do
  name=${target%_fuzz}
  seeds="$ROOT/fuzz/corpus/$name"
  program="$ROOT/$BUILD/fuzz/$target"
  if [[ ! -x "$program" || ! -d "$seeds" ]]; then
    echo "fuzz: $target or its seeds $seeds are missing"
    failed=$((failed + 1))
    continue
  fi
  # New inputs go to a scratch corpus, the committed seeds are only read. The targets'
  # own scratch files go below $work as well.
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts" "$scratch/$name"
  echo "== fuzz $target (${SECONDS_EACH} s)"
  (cd "$work/$name" && TMPDIR="$scratch/$name" \
    ASAN_OPTIONS="detect_leaks=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    timeout --kill-after=10 $((SECONDS_EACH + 120)) "$program" \
      -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/$name/artifacts/" "$work/$name/corpus" "$seeds") \
    >"$work/$name/log" 2>&1
  status=$?
  artifacts=("$work/$name/artifacts"/*)
  if ((status == 0)) && [[ ! -e "${artifacts[0]}" ]]; then
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$work/$name/log")
    echo "fuzz: $target passed (${runs:-?} runs)"
    passed=$((passed + 1))
  else
    tail -60 "$work/$name/log"
    mkdir -p "$findings"
    for artifact in "${artifacts[@]}"; do
      [[ -e "$artifact" ]] || continue
      cp "$artifact" "$findings/$target-${artifact##*/}"
      echo "fuzz: input kept as $BUILD/findings/$target-${artifact##*/}:"
      od -A d -t x1z -v "$artifact" | head -40
    done
    echo "fuzz: $target failed (exit code $status); run it again with: $BUILD/fuzz/$target FILE"
    failed=$((failed + 1))
  fi
done

echo "$passed passed, $failed failed"
((failed == 0))
