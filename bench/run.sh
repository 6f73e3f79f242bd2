#!/usr/bin/env bash
# quillonc against the tools users would otherwise chain: unix2dos, dos2unix, iconv, sed,
# expand. Installs the peers when missing, builds quillon (Release) into build-bench/,
# generates the inputs once into bench/work/ (or $QUILLON_BENCH_WORK) and writes
# bench/RESULTS.md.
#
#   bash bench/run.sh            # the full run
#   QUILLON_BENCH_PAIRS=3 bash bench/run.sh   # fewer A/B pairs, for a quick look
#
# Every case runs quillonc (A) and the peer (B) on fresh copies of the same input,
# alternating A B A B; the ratio of a pair is A's wall time / B's, and the table shows the
# median over the pairs. The outputs of both sides are compared byte for byte every time:
# a case whose outputs differ stops the run. Peak RSS is that of the largest process of
# each side (for quillonc, the quillon it starts), from wait4.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${QUILLON_BENCH_WORK:-$ROOT/bench/work}
BUILD=${QUILLON_BENCH_BUILD:-$ROOT/build-bench}
PAIRS=${QUILLON_BENCH_PAIRS:-7}
LINEAR_RUNS=${QUILLON_BENCH_LINEAR_RUNS:-3}
RESULTS=${QUILLON_BENCH_RESULTS:-$ROOT/bench/RESULTS.md}
CORPUS_VERSION=1

die() {
  echo "bench: $*" >&2
  exit 1
}
log() { echo "bench: $*" >&2; }

# --- packages -----------------------------------------------------------------------
install_packages() {
  local packages=(build-essential cmake ninja-build pkg-config libicu-dev libboost1.81-dev
                  libgtest-dev dos2unix libc-bin sed coreutils time)
  local missing=() package
  for package in "${packages[@]}"; do
    if [[ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]]; then
      missing+=("$package")
    fi
  done
  ((${#missing[@]} == 0)) && return
  log "installing ${missing[*]}"
  local sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q >&2 || die "apt-get update failed"
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >&2 ||
    die "cannot install ${missing[*]}"
}

# --- builds -------------------------------------------------------------------------
build_programs() {
  log "building quillon and quillonc (Release) in $BUILD"
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$WORK/cmake.log" 2>&1 ||
    die "cmake failed, see $WORK/cmake.log"
  ninja -C "$BUILD" quillon quillonc >"$WORK/ninja.log" 2>&1 ||
    die "build failed, see $WORK/ninja.log"
  QUILLONC=$BUILD/quillonc
  local tool
  for tool in make_corpus measure; do
    if [[ ! -x $WORK/bin/$tool || $ROOT/bench/$tool.cpp -nt $WORK/bin/$tool ]]; then
      g++ -std=c++20 -O2 -Wall -Wextra -Werror "$ROOT/bench/$tool.cpp" -o "$WORK/bin/$tool" ||
        die "cannot build bench/$tool.cpp"
    fi
  done
}

# --- inputs -------------------------------------------------------------------------
CORPUS=
make_corpora() {
  CORPUS=$WORK/corpus
  if [[ -f $CORPUS/.done && "$(cat "$CORPUS/.done")" == "$CORPUS_VERSION" ]]; then
    log "reusing the inputs in $CORPUS"
    return
  fi
  log "generating the inputs in $CORPUS"
  rm -rf "$CORPUS"
  mkdir -p "$CORPUS"
  local gen=$WORK/bin/make_corpus size
  for size in 8 32 128; do
    "$gen" text "$CORPUS/sjis-lf-$size.txt" "$size"
    "$gen" text "$CORPUS/sjis-crlf-$size.txt" "$size" --crlf
    "$gen" text "$CORPUS/ascii-$size.txt" "$size" --ascii
    # 1,000,000 hits in 32 MB, the same density at the other sizes.
    "$gen" text "$CORPUS/replace-$size.txt" "$size" --token ZQX --hits $((size * 1000000 / 32))
  done
  "$gen" tree "$CORPUS/tree" 200 100
  echo "$CORPUS_VERSION" >"$CORPUS/.done"
}

# --- one side of a run --------------------------------------------------------------
RUN=
# fresh INPUT: RUN/in is a fresh copy of INPUT (a file or a folder).
fresh() {
  rm -rf "$RUN/in"
  cp -r "$1" "$RUN/in"
  sync
}

# timed LOG CMD...: runs CMD, puts "SECONDS KB" into $RUN/last. Output to LOG.
timed() {
  local logfile=$1
  shift
  if ! "$WORK/bin/measure" "$RUN/last" "$@" >"$logfile" 2>&1; then
    cat "$logfile" >&2
    die "command failed: $*"
  fi
}

# quillon_side EXPECTED_LINE OPTIONS...: quillonc OPTIONS -- RUN/in (or RUN/in/* with /Y).
quillon_side() {
  local expected=$1
  shift
  local target=$RUN/in
  [[ -d $target ]] && target="$RUN/in/*"
  timed "$RUN/quillon.log" "$QUILLONC" "$@" -- "$target"
  if ! grep -q "^$expected\$" "$RUN/quillon.log"; then
    cat "$RUN/quillon.log" >&2
    die "quillonc $* did not report '$expected'"
  fi
}

# The peers. Each works on RUN/in. The byte-oriented ones run in the C locale: the input
# is Shift-JIS, which a UTF-8 locale would misread (and, for sed, slow down).
peer() {
  local what=$1
  local in=$RUN/in
  case $what in
    unix2dos) timed "$RUN/peer.log" unix2dos -q "$in" ;;
    dos2unix) timed "$RUN/peer.log" dos2unix -q "$in" ;;
    iconv) timed "$RUN/peer.log" sh -c 'iconv -f CP932 -t UTF-8 "$1" >"$1.tmp" && mv "$1.tmp" "$1"' sh "$in" ;;
    sed-trim) timed "$RUN/peer.log" env LC_ALL=C sed -i 's/[ \t]*$//' "$in" ;;
    expand) timed "$RUN/peer.log" sh -c 'expand -t4 "$1" >"$1.tmp" && mv "$1.tmp" "$1"' sh "$in" ;;
    unix2dos-tree) timed "$RUN/peer.log" find "$in" -type f -exec unix2dos -q {} + ;;
    sed-replace) timed "$RUN/peer.log" env LC_ALL=C sed -i 's/ZQX/zqx-ok/g' "$in" ;;
    chain)
      # U+3000 to one space, trailing blanks, TABs (a CP932 double-byte character is two
      # bytes and two columns, as quillon counts it), CRLF, then UTF-8.
      timed "$RUN/peer.log" sh -c '
        LC_ALL=C sed -i "s/\x81\x40/ /g; s/[ \t]*\$//" "$1" &&
        LC_ALL=C expand -t4 "$1" >"$1.tmp" && mv "$1.tmp" "$1" &&
        unix2dos -q "$1" &&
        iconv -f CP932 -t UTF-8 "$1" >"$1.tmp" && mv "$1.tmp" "$1"' sh "$in" ;;
    *) die "unknown peer $what" ;;
  esac
}

median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

# --- cases --------------------------------------------------------------------------
ROWS=()
FAILED=0

# compare_case NAME INPUT PEER TARGET EXPECTED OPTIONS...
compare_case() {
  local name=$1 input=$2 peer_name=$3 target=$4 expected=$5
  shift 5
  log "case: $name ($PAIRS pairs)"
  RUN=$WORK/run
  rm -rf "$RUN"
  mkdir -p "$RUN"
  local ratios=() a_times=() b_times=() a_rss=0 b_rss=0 i t r
  for ((i = 0; i < PAIRS; i++)); do
    fresh "$input"
    quillon_side "$expected" "$@"
    read -r t r <"$RUN/last"
    a_times+=("$t")
    ((r > a_rss)) && a_rss=$r
    rm -rf "$RUN/out-a"
    mv "$RUN/in" "$RUN/out-a"

    fresh "$input"
    peer "$peer_name"
    read -r t r <"$RUN/last"
    b_times+=("$t")
    ((r > b_rss)) && b_rss=$r
    if ! diff -r -q "$RUN/out-a" "$RUN/in" >/dev/null; then
      diff -r -q "$RUN/out-a" "$RUN/in" | head -5 >&2 || true
      die "$name: quillonc and $peer_name wrote different bytes"
    fi
    ratios+=("$(awk -v a="${a_times[i]}" -v b="$t" 'BEGIN {printf "%.4f", a / b}')")
  done
  local ratio a_med b_med verdict
  ratio=$(printf '%s\n' "${ratios[@]}" | median)
  # The spread of the pairs: on a shared or virtual machine it tells how far one run
  # can be trusted.
  local spread
  spread=$(printf '%s\n' "${ratios[@]}" | sort -g | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.2f-%.2f", lo, hi}')
  a_med=$(printf '%s\n' "${a_times[@]}" | median)
  b_med=$(printf '%s\n' "${b_times[@]}" | median)
  if awk -v r="$ratio" -v t="$target" 'BEGIN {exit !(r <= t)}'; then
    verdict=met
  else
    verdict="**missed**"
    FAILED=1
  fi
  ROWS+=("| $name | $peer_name | $(printf '%.3f' "$a_med") | $(printf '%.3f' "$b_med") | $(printf '%.2f' "$ratio") | $spread | ≤ $target | $verdict | $((a_rss / 1024)) | $((b_rss / 1024)) | identical |")
  rm -rf "$RUN"
}

# quillon_median INPUT EXPECTED OPTIONS...: median wall time and largest RSS of quillonc
# alone over LINEAR_RUNS runs, as "SECONDS KB".
quillon_median() {
  local input=$1 expected=$2
  shift 2
  RUN=$WORK/run
  rm -rf "$RUN"
  mkdir -p "$RUN"
  local times=() rss=0 i t r
  for ((i = 0; i < LINEAR_RUNS; i++)); do
    fresh "$input"
    quillon_side "$expected" "$@"
    read -r t r <"$RUN/last"
    times+=("$t")
    ((r > rss)) && rss=$r
  done
  rm -rf "$RUN"
  echo "$(printf '%s\n' "${times[@]}" | median) $rss"
}

LINEAR_ROWS=()
# linear_case NAME CORPUS_STEM OPTIONS...: time per MB at 8 and at 128 MB.
linear_case() {
  local name=$1 stem=$2
  shift 2
  log "linearity: $name"
  local small large t8 t128 r128 per8 per128 factor verdict
  small=$(quillon_median "$CORPUS/$stem-8.txt" "Target files:1, Replaced files:1" "$@")
  large=$(quillon_median "$CORPUS/$stem-128.txt" "Target files:1, Replaced files:1" "$@")
  t8=${small% *}
  read -r t128 r128 <<<"$large"
  per8=$(awk -v t="$t8" -v s="$(stat -c %s "$CORPUS/$stem-8.txt")" 'BEGIN {printf "%.5f", t / (s / 1048576)}')
  per128=$(awk -v t="$t128" -v s="$(stat -c %s "$CORPUS/$stem-128.txt")" 'BEGIN {printf "%.5f", t / (s / 1048576)}')
  factor=$(awk -v a="$per128" -v b="$per8" 'BEGIN {printf "%.2f", a / b}')
  if awk -v f="$factor" 'BEGIN {exit !(f <= 1.3)}'; then verdict=met; else verdict="**missed**"; FAILED=1; fi
  LINEAR_ROWS+=("| $name | $(awk -v p="$per8" 'BEGIN {printf "%.2f", p * 1000}') | $(awk -v p="$per128" 'BEGIN {printf "%.2f", p * 1000}') | $factor | ≤ 1.3 | $verdict | $((r128 / 1024)) |")
  LAST_RSS_128=$r128
}

# --- report -------------------------------------------------------------------------
machine_description() {
  local cpu cores memory kernel
  cpu=$(lscpu 2>/dev/null | awk -F: '/^Model name/ {gsub(/^ +/, "", $2); print $2; exit}')
  cores=$(nproc)
  memory=$(awk '/MemTotal/ {printf "%.1f GB", $2 / 1048576}' /proc/meminfo)
  kernel=$(uname -sr)
  echo "$cpu, $cores cores, $memory RAM, $kernel, $(. /etc/os-release && echo "$PRETTY_NAME")," \
       "file system of $WORK: $(df -T "$WORK" | awk 'NR == 2 {print $2}')"
}

peer_versions() {
  echo "unix2dos/dos2unix $(dos2unix --version 2>/dev/null | awk 'NR == 1 {print $2}')," \
       "iconv (glibc) $(ldd --version | awk 'NR == 1 {print $NF}')," \
       "sed $(sed --version | awk 'NR == 1 {print $NF}')," \
       "expand (coreutils) $(expand --version | awk 'NR == 1 {print $NF}')"
}

write_results() {
  local started=$1 memory_rss=$2 file_size=$3 memory_verdict=$4
  {
    echo "# Benchmark: quillonc against the single-purpose tools"
    echo
    echo "Written by \`bash bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC') in $(( $(date +%s) - started )) s."
    echo
    echo "Machine: $(machine_description)."
    echo
    echo "Peers: $(peer_versions). sed and expand run with LC_ALL=C (the input is Shift-JIS)."
    echo
    echo "Each case: $PAIRS pairs run alternately (quillonc, peer, quillonc, peer, ...) on fresh"
    echo "copies of the same input; times are medians in seconds, the ratio is the median of the"
    echo "per-pair ratios quillonc/peer (their lowest and highest beside it). RSS is the peak of the largest process of each side, in MB"
    echo "(for quillonc, the quillon it starts). Both outputs were compared byte for byte in every"
    echo "pair and were identical."
    echo
    echo "| case | peer | quillonc s | peer s | ratio | pairs' ratios | target | | quillonc MB | peer MB | outputs |"
    echo "| --- | --- | ---: | ---: | ---: | ---: | --- | --- | ---: | ---: | --- |"
    printf '%s\n' "${ROWS[@]}"
    echo
    echo "Memory: peak RSS of quillon for /F:sjis /O:utf8 on the 128 MB input:" \
         "$((memory_rss / 1024)) MB = $(awk -v r="$memory_rss" -v s="$file_size" 'BEGIN {printf "%.2f", r * 1024 / s}') ×" \
         "the file size (target ≤ 3 ×): $memory_verdict."
    echo
    echo "Linearity: quillonc alone, median of $LINEAR_RUNS runs, milliseconds per MB of input."
    echo
    echo "| case | ms/MB at 8 MB | ms/MB at 128 MB | 128 / 8 | target | | RSS at 128 MB (MB) |"
    echo "| --- | ---: | ---: | ---: | --- | --- | ---: |"
    printf '%s\n' "${LINEAR_ROWS[@]}"
    echo
    echo "Inputs (generated by bench/make_corpus.cpp with fixed seeds): Shift-JIS text of ASCII"
    echo "words, hiragana and kanji with TABs, U+3000 and trailing blanks, LF or CRLF; an ASCII-only"
    echo "variant; the replacement input holds ZQX exactly 1,000,000 times per 32 MB; the tree is"
    echo "200 folders of 100 files of 1 to 8 kB."
  } >"$RESULTS"
}

main() {
  local started
  started=$(date +%s)
  mkdir -p "$WORK/bin"
  install_packages
  build_programs
  make_corpora

  export XDG_CONFIG_HOME=$WORK/config
  export QUILLON_LANG=EN
  mkdir -p "$XDG_CONFIG_HOME"

  local one="Target files:1, Replaced files:1"
  compare_case "/C:CRLF, 32 MB Shift-JIS LF" "$CORPUS/sjis-lf-32.txt" unix2dos 1.0 "$one" /C:CRLF
  compare_case "/C:LF, 32 MB Shift-JIS CRLF" "$CORPUS/sjis-crlf-32.txt" dos2unix 1.0 "$one" /C:LF
  compare_case "/F:sjis /O:utf8, 32 MB" "$CORPUS/sjis-lf-32.txt" iconv 1.0 "$one" /F:sjis /O:utf8
  compare_case "/W, 32 MB" "$CORPUS/sjis-lf-32.txt" sed-trim 0.2 "$one" /W
  compare_case "/T:4, 32 MB ASCII" "$CORPUS/ascii-32.txt" expand 2.0 "$one" /T:4
  compare_case "/Y /C:CRLF, 20,000-file tree" "$CORPUS/tree" unix2dos-tree 1.0 \
    "Target files:20000, Replaced files:20000" /Y /C:CRLF
  compare_case "/RB:ZQX /RA:zqx-ok, 1,000,000 hits in 32 MB" "$CORPUS/replace-32.txt" sed-replace 0.5 \
    "$one" /RB:ZQX /RA:zqx-ok
  compare_case "/C:CRLF /H /W /T:4 /D /O:utf8, 32 MB" "$CORPUS/sjis-lf-32.txt" chain 0.5 "$one" \
    /C:CRLF /H /W /T:4 /D /O:utf8

  linear_case "/C:CRLF" sjis-lf /C:CRLF
  linear_case "/C:LF" sjis-crlf /C:LF
  linear_case "/F:sjis /O:utf8" sjis-lf /F:sjis /O:utf8
  local memory_rss=$LAST_RSS_128
  linear_case "/W" sjis-lf /W
  linear_case "/T:4" ascii /T:4
  linear_case "/RB /RA" replace /RB:ZQX /RA:zqx-ok
  linear_case "all at once" sjis-lf /C:CRLF /H /W /T:4 /D /O:utf8

  local file_size memory_verdict=met
  file_size=$(stat -c %s "$CORPUS/sjis-lf-128.txt")
  if ((memory_rss * 1024 > 3 * file_size)); then memory_verdict="**missed**"; FAILED=1; fi

  write_results "$started" "$memory_rss" "$file_size" "$memory_verdict"
  log "wrote $RESULTS in $(( $(date +%s) - started )) s"
  cat "$RESULTS"
  ((FAILED == 0)) || log "some targets were missed (see the table)"
}

main "$@"
