#!/usr/bin/env bash
# quillonc against the tools users would otherwise chain: unix2dos, dos2unix, iconv, sed,
# expand, perl. Installs the peers when missing, builds quillon (Release) into
# build-bench/, generates the inputs once into bench/work/ (or $QUILLON_BENCH_WORK) and
# writes bench/RESULTS.md.
#
#   bash bench/run.sh                       # the full run
#   QUILLON_BENCH_QUICK=1 bash bench/run.sh # 3 pairs, one run per size, no 2 GB case
#   QUILLON_BENCH_PAIRS=3 bash bench/run.sh # fewer pairs only
#
# Every case runs quillonc (A), the peer (B) and the floor (F: cp of the input beside it,
# then mv over it, the least any tool that rewrites the file must do) on fresh copies of
# the same input, alternating A B F A B F; the ratio of a pair is A's wall time / B's (or
# / F's), and the table shows the median over the pairs. The outputs of quillonc and the
# peer are compared byte for byte every time: a case whose outputs differ stops the run.
# Peak RSS is that of the largest process of each side (for quillonc, the quillon it
# starts), from wait4. The script ends by listing every target and whether it held.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${QUILLON_BENCH_WORK:-$ROOT/bench/work}
BUILD=${QUILLON_BENCH_BUILD:-$ROOT/build-bench}
QUICK=${QUILLON_BENCH_QUICK:-0}
if [[ $QUICK == 1 ]]; then
  PAIRS=${QUILLON_BENCH_PAIRS:-3}
  LINEAR_RUNS=${QUILLON_BENCH_LINEAR_RUNS:-1}
else
  PAIRS=${QUILLON_BENCH_PAIRS:-7}
  LINEAR_RUNS=${QUILLON_BENCH_LINEAR_RUNS:-3}
fi
# A tiny file takes milliseconds: more pairs make its median steady.
TINY_PAIRS=${QUILLON_BENCH_TINY_PAIRS:-$((PAIRS * 5))}
# The 2 GB case: one pair, and only where the disk holds its copies.
BIG_PAIRS=${QUILLON_BENCH_BIG_PAIRS:-1}
BIG_MB=${QUILLON_BENCH_BIG_MB:-2048}
RESULTS=${QUILLON_BENCH_RESULTS:-$ROOT/bench/RESULTS.md}
CORPUS_VERSION=2

die() {
  echo "bench: $*" >&2
  exit 1
}
log() { echo "bench: $*" >&2; }

# --- packages -----------------------------------------------------------------------
install_packages() {
  local packages=(build-essential cmake ninja-build pkg-config libicu-dev libboost1.81-dev
                  libgtest-dev dos2unix libc-bin sed coreutils time perl)
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
  printf 'first line\r\nsecond line\r\n' >"$CORPUS/tiny-crlf.txt"
  echo "$CORPUS_VERSION" >"$CORPUS/.done"
}

# --- one side of a run --------------------------------------------------------------
RUN=
# fresh INPUT: RUN/in is a fresh copy of INPUT (a file or a folder). For a file a second
# copy is made and removed with it, so that every side finds as much memory freed just
# before it as it writes: on a virtual machine, memory that has stayed free for a while
# costs a fault in the host per page when it is taken again, and without this only the
# sides that follow one that freed a file would be spared that (at 2 GB, seconds). A
# folder of small files is copied once: its memory is small, and 20,000 deletions just
# before a side would weigh on it far more than that.
fresh() {
  rm -rf "$RUN/in"
  if [[ -f $1 ]]; then
    cp "$1" "$RUN/spare"
    cp "$1" "$RUN/in"
    rm -f "$RUN/spare"
  else
    cp -r "$1" "$RUN/in"
  fi
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
  if ! "$WORK/bin/measure" "$RUN/last" "$QUILLONC" "$@" -- "$target" >"$RUN/quillon.log" 2>&1 ||
     ! grep -q "^$expected\$" "$RUN/quillon.log"; then
    cat "$RUN/quillon.log" >&2
    log "quillonc $* did not report '$expected'"
    return 1
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
    # The regular-expression cases (ASCII input, so the C locale changes nothing).
    sed-E-none) timed "$RUN/peer.log" env LC_ALL=C sed -E -i 's/[0-9]{3}/#/g' "$in" ;;
    perl-none) timed "$RUN/peer.log" env LC_ALL=C perl -pi -e 's/[0-9]{3}/#/g' "$in" ;;
    sed-E-swap) timed "$RUN/peer.log" env LC_ALL=C sed -E -i 's/([a-z]+) ([a-z]+)/\2 \1/g' "$in" ;;
    perl-swap) timed "$RUN/peer.log" env LC_ALL=C perl -pi -e 's/([a-z]+) ([a-z]+)/$2 $1/g' "$in" ;;
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

# The floor: a copy of the input beside it, put in its place. A folder is copied whole,
# then the copy takes the original's name.
floor_side() {
  if [[ -d $RUN/in ]]; then
    timed "$RUN/floor.log" sh -c 'cp -r -- "$1" "$1.floor" && rm -rf -- "$1" && mv -- "$1.floor" "$1"' sh "$RUN/in"
  else
    timed "$RUN/floor.log" sh -c 'cp -- "$1" "$1.floor" && mv -- "$1.floor" "$1"' sh "$RUN/in"
  fi
}

median() { sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }

# --- cases --------------------------------------------------------------------------
ROWS=()
TARGETS=()
FAILED=0

# check WHAT VALUE LIMIT: records in TARGETS whether VALUE <= LIMIT and leaves met or
# missed in VERDICT.
VERDICT=
check() {
  local what=$1 value=$2 limit=$3
  if awk -v v="$value" -v l="$limit" 'BEGIN {exit !(v <= l)}'; then
    VERDICT=met
  else
    VERDICT="**missed**"
    FAILED=1
  fi
  TARGETS+=("- $what: $value (target ≤ $limit): $VERDICT")
}

ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.4f", a / b}'; }

# compare_case NAME INPUT PEER PEER_TARGET FLOOR_TARGET MB_TARGET EXPECTED OPTIONS...
# The targets: quillonc / peer, quillonc / floor, and quillon's peak RSS in MB ("-" for
# none). With NO_DIE=1, a quillonc that fails is reported in the table, not fatal.
compare_case() {
  local name=$1 input=$2 peer_name=$3 peer_target=$4 floor_target=$5 mb_target=$6
  local expected=$7
  shift 7
  local pairs=${CASE_PAIRS:-$PAIRS}
  log "case: $name ($pairs pairs)"
  RUN=$WORK/run
  rm -rf "$RUN"
  mkdir -p "$RUN"
  local ratios=() floor_ratios=() a_times=() b_times=() f_times=() a_rss=0 b_rss=0 i t r
  for ((i = 0; i < pairs; i++)); do
    fresh "$input"
    if ! quillon_side "$expected" "$@"; then
      [[ ${NO_DIE:-0} == 1 ]] || die "$name: quillonc failed"
      ROWS+=("| $name | $peer_name | failed: $(tail -1 "$RUN/quillon.log" | tr -d '\r|') | | | | | | | | | | | |")
      FAILED=1
      TARGETS+=("- $name: quillonc failed: **missed**")
      rm -rf "$RUN"
      return
    fi
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
    ratios+=("$(ratio_of "${a_times[i]}" "$t")")

    rm -rf "$RUN/out-a"
    fresh "$input"
    floor_side
    read -r t r <"$RUN/last"
    f_times+=("$t")
    floor_ratios+=("$(ratio_of "${a_times[i]}" "$t")")
  done
  local ratio floor_ratio a_med b_med f_med spread
  ratio=$(printf '%s\n' "${ratios[@]}" | median)
  floor_ratio=$(printf '%s\n' "${floor_ratios[@]}" | median)
  # The spread of the pairs: on a shared or virtual machine it tells how far one run
  # can be trusted.
  spread=$(printf '%s\n' "${ratios[@]}" | sort -g | awk 'NR == 1 {lo = $1} {hi = $1} END {printf "%.2f-%.2f", lo, hi}')
  a_med=$(printf '%s\n' "${a_times[@]}" | median)
  b_med=$(printf '%s\n' "${b_times[@]}" | median)
  f_med=$(printf '%s\n' "${f_times[@]}" | median)
  local mb=$((a_rss / 1024)) peer_verdict=- floor_verdict=- mb_verdict=-
  ratio=$(printf '%.2f' "$ratio")
  floor_ratio=$(printf '%.2f' "$floor_ratio")
  if [[ $peer_target != - ]]; then
    check "$name, × $peer_name" "$ratio" "$peer_target"
    peer_verdict=$VERDICT
  fi
  if [[ $floor_target != - ]]; then
    check "$name, × floor" "$floor_ratio" "$floor_target"
    floor_verdict=$VERDICT
  fi
  if [[ $mb_target != - ]]; then
    check "$name, quillon MB" "$mb" "$mb_target"
    mb_verdict=$VERDICT
  fi
  local shown_peer_target=- shown_floor_target=- shown_mb_target=-
  [[ $peer_target != - ]] && shown_peer_target="≤ $peer_target"
  [[ $floor_target != - ]] && shown_floor_target="≤ $floor_target"
  [[ $mb_target != - ]] && shown_mb_target="≤ $mb_target"
  ROWS+=("| $name | $peer_name | $(printf '%.3f' "$a_med") | $(printf '%.3f' "$b_med") | $(printf '%.3f' "$f_med") | $ratio | $spread | $shown_peer_target $peer_verdict | $floor_ratio | $shown_floor_target $floor_verdict | $mb | $((b_rss / 1024)) | $shown_mb_target $mb_verdict | identical |")
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
    quillon_side "$expected" "$@" || die "quillonc $* failed on $input"
    read -r t r <"$RUN/last"
    times+=("$t")
    ((r > rss)) && rss=$r
  done
  rm -rf "$RUN"
  echo "$(printf '%s\n' "${times[@]}" | median) $rss"
}

LINEAR_ROWS=()
# linear_case NAME CORPUS_STEM MB_TARGET EXPECTED OPTIONS...: time per MB at 8 and at
# 128 MB, and the peak RSS at 128 MB against MB_TARGET ("-" for none).
linear_case() {
  local name=$1 stem=$2 mb_target=$3 expected=$4
  shift 4
  log "linearity: $name"
  local small large t8 t128 r128 per8 per128 factor verdict mb_verdict=- shown_mb_target=-
  small=$(quillon_median "$CORPUS/$stem-8.txt" "$expected" "$@")
  large=$(quillon_median "$CORPUS/$stem-128.txt" "$expected" "$@")
  t8=${small% *}
  read -r t128 r128 <<<"$large"
  per8=$(awk -v t="$t8" -v s="$(stat -c %s "$CORPUS/$stem-8.txt")" 'BEGIN {printf "%.5f", t / (s / 1048576)}')
  per128=$(awk -v t="$t128" -v s="$(stat -c %s "$CORPUS/$stem-128.txt")" 'BEGIN {printf "%.5f", t / (s / 1048576)}')
  factor=$(awk -v a="$per128" -v b="$per8" 'BEGIN {printf "%.2f", a / b}')
  check "linearity $name, 128 MB / 8 MB" "$factor" 1.3
  verdict=$VERDICT
  if [[ $mb_target != - ]]; then
    check "$name at 128 MB, quillon MB" "$((r128 / 1024))" "$mb_target"
    mb_verdict=$VERDICT
    shown_mb_target="≤ $mb_target"
  fi
  LINEAR_ROWS+=("| $name | $(awk -v p="$per8" 'BEGIN {printf "%.2f", p * 1000}') | $(awk -v p="$per128" 'BEGIN {printf "%.2f", p * 1000}') | $factor | ≤ 1.3 $verdict | $((r128 / 1024)) | $shown_mb_target $mb_verdict |")
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
       "expand (coreutils) $(expand --version | awk 'NR == 1 {print $NF}')," \
       "perl $(perl -e 'print substr($^V, 1)')"
}

write_results() {
  local started=$1
  {
    echo "# Benchmark: quillonc against the single-purpose tools"
    echo
    echo "Written by \`bash bench/run.sh\`$([[ $QUICK == 1 ]] && echo " (quick mode)") on $(date -u '+%Y-%m-%d %H:%M UTC') in $(( $(date +%s) - started )) s."
    echo
    echo "Machine: $(machine_description)."
    echo
    echo "Peers: $(peer_versions). sed, perl and expand run with LC_ALL=C (the input is Shift-JIS"
    echo "or ASCII)."
    echo
    echo "Each case: $PAIRS pairs ($TINY_PAIRS for the tiny file, $BIG_PAIRS for the $BIG_MB MB file) run"
    echo "alternately (quillonc, peer, floor, quillonc, peer, floor, ...) on fresh copies of the"
    echo "same input; for a file, a second copy made and removed with each leaves every side as"
    echo "much memory freed just before it as it writes (on this virtual machine, memory left free"
    echo "for a while costs a fault in the host per page when taken again). The floor is \`cp\` of the input"
    echo "beside it and \`mv\` of the copy over it. Times"
    echo "are medians in seconds; a ratio is the median of the per-pair ratios quillonc/peer or"
    echo "quillonc/floor (the lowest and highest to the peer beside it). RSS is the peak of the"
    echo "largest process of each side, in MB (for quillonc, the quillon it starts). Both outputs"
    echo "were compared byte for byte in every pair and were identical."
    echo
    echo "| case | peer | quillonc s | peer s | floor s | × peer | pairs' × peer | target | × floor | target | quillonc MB | peer MB | target | outputs |"
    echo "| --- | --- | ---: | ---: | ---: | ---: | ---: | --- | ---: | --- | ---: | ---: | --- | --- |"
    printf '%s\n' "${ROWS[@]}"
    [[ -n $BIG_NOTE ]] && { echo; echo "$BIG_NOTE"; }
    echo
    echo "Linearity: quillonc alone, median of $LINEAR_RUNS runs, milliseconds per MB of input."
    echo
    echo "| case | ms/MB at 8 MB | ms/MB at 128 MB | 128 / 8 | target | RSS at 128 MB (MB) | target |"
    echo "| --- | ---: | ---: | ---: | --- | ---: | --- |"
    printf '%s\n' "${LINEAR_ROWS[@]}"
    echo
    echo "Targets:"
    echo
    printf '%s\n' "${TARGETS[@]}"
    echo
    echo "Inputs (generated by bench/make_corpus.cpp with fixed seeds): Shift-JIS text of ASCII"
    echo "words, hiragana and kanji with TABs, U+3000 and trailing blanks, LF or CRLF; an ASCII-only"
    echo "variant (no digits, so [0-9]{3} never matches it); the replacement input holds ZQX"
    echo "exactly 1,000,000 times per 32 MB; the tree is 200 folders of 100 files of 1 to 8 kB;"
    echo "the tiny file is two CRLF lines."
  } >"$RESULTS"
}

# The streaming cases' peak RSS target in MB, and the regular expressions' (3 × the file).
STREAM_MB=16

BIG_NOTE=
big_case() {
  local big=$WORK/big-$BIG_MB.txt need avail
  # The input, a copy for each side and the floor's second copy.
  need=$(( (BIG_MB << 20) * 4 ))
  avail=$(df --output=avail -B1 "$WORK" | tail -1)
  if ((avail < need + (1 << 30))); then
    BIG_NOTE="The $BIG_MB MB case was left out: $((avail >> 20)) MB free on $WORK, $((need >> 20)) MB needed."
    log "$BIG_NOTE"
    return
  fi
  [[ -f $big ]] || "$WORK/bin/make_corpus" text "$big" "$BIG_MB"
  CASE_PAIRS=$BIG_PAIRS NO_DIE=1 compare_case "/C:CRLF, $BIG_MB MB Shift-JIS LF" "$big" unix2dos 0.5 2 \
    "$STREAM_MB" "Target files:1, Replaced files:1" /C:CRLF
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

  local one="Target files:1, Replaced files:1" none="Target files:1, Replaced files:0"
  local s=$STREAM_MB regex_mb=$((3 * 32))
  compare_case "/C:CRLF, 32 MB Shift-JIS LF" "$CORPUS/sjis-lf-32.txt" unix2dos 0.5 2 "$s" "$one" /C:CRLF
  compare_case "/C:LF, 32 MB Shift-JIS CRLF" "$CORPUS/sjis-crlf-32.txt" dos2unix 0.5 2 "$s" "$one" /C:LF
  compare_case "/F:sjis /O:utf8, 32 MB" "$CORPUS/sjis-lf-32.txt" iconv 0.5 2 "$s" "$one" /F:sjis /O:utf8
  compare_case "/W, 32 MB" "$CORPUS/sjis-lf-32.txt" sed-trim 0.2 2 "$s" "$one" /W
  compare_case "/T:4, 32 MB ASCII" "$CORPUS/ascii-32.txt" expand 0.5 2 "$s" "$one" /T:4
  compare_case "/RB:ZQX /RA:zqx-ok, 1,000,000 hits in 32 MB" "$CORPUS/replace-32.txt" sed-replace 0.5 2 \
    "$s" "$one" /RB:ZQX /RA:zqx-ok
  compare_case "/C:CRLF /H /W /T:4 /D /O:utf8, 32 MB" "$CORPUS/sjis-lf-32.txt" chain 0.5 3 "$s" "$one" \
    /C:CRLF /H /W /T:4 /D /O:utf8
  compare_case "/E [0-9]{3} (no match), 32 MB ASCII" "$CORPUS/ascii-32.txt" sed-E-none 2.0 - \
    "$regex_mb" "$none" /E '/RB:[0-9]{3}' '/RA:#'
  compare_case "/E [0-9]{3} (no match), 32 MB ASCII" "$CORPUS/ascii-32.txt" perl-none - - - \
    "$none" /E '/RB:[0-9]{3}' '/RA:#'
  compare_case "/E ([a-z]+) ([a-z]+) → \$2 \$1, 32 MB ASCII" "$CORPUS/ascii-32.txt" sed-E-swap - - - \
    "$one" /E '/RB:([a-z]+) ([a-z]+)' '/RA:$2 $1'
  compare_case "/E ([a-z]+) ([a-z]+) → \$2 \$1, 32 MB ASCII" "$CORPUS/ascii-32.txt" perl-swap 1.0 - \
    "$regex_mb" "$one" /E '/RB:([a-z]+) ([a-z]+)' '/RA:$2 $1'
  CASE_PAIRS=$TINY_PAIRS compare_case "/C:LF, a two-line file" "$CORPUS/tiny-crlf.txt" dos2unix 1.0 - \
    "$s" "$one" /C:LF
  compare_case "/Y /C:CRLF, 20,000-file tree" "$CORPUS/tree" unix2dos-tree 1.0 - - \
    "Target files:20000, Replaced files:20000" /Y /C:CRLF
  if [[ $QUICK == 1 ]]; then
    BIG_NOTE="The $BIG_MB MB case is left out in quick mode."
  else
    big_case
  fi

  linear_case "/C:CRLF" sjis-lf "$s" "$one" /C:CRLF
  linear_case "/C:LF" sjis-crlf "$s" "$one" /C:LF
  linear_case "/F:sjis /O:utf8" sjis-lf "$s" "$one" /F:sjis /O:utf8
  linear_case "/W" sjis-lf "$s" "$one" /W
  linear_case "/T:4" ascii "$s" "$one" /T:4
  linear_case "/RB /RA" replace "$s" "$one" /RB:ZQX /RA:zqx-ok
  linear_case "all at once" sjis-lf "$s" "$one" /C:CRLF /H /W /T:4 /D /O:utf8
  linear_case "/E [0-9]{3} (no match)" ascii $((3 * 128)) "$none" /E '/RB:[0-9]{3}' '/RA:#'
  linear_case "/E swap" ascii $((3 * 128)) "$one" /E '/RB:([a-z]+) ([a-z]+)' '/RA:$2 $1'

  write_results "$started"
  log "wrote $RESULTS in $(( $(date +%s) - started )) s"
  cat "$RESULTS"
  echo
  echo "Targets:"
  printf '%s\n' "${TARGETS[@]}"
  ((FAILED == 0)) || log "some targets were missed (see the list)"
}

main "$@"
