#!/usr/bin/env bash
# quillon killed with SIGKILL while it writes: the file it was writing is afterwards the
# old one or the new one, or (a file with several hard links, rewritten where it is) a
# mix with its complete old content in the copy beside it; the settings store written by
# quillonc is the old or the new one. After every kill the next run works.
#
#   kill_test.sh path/to/quillonc path/to/quillon
#
# QUILLON_KILLS sets the kills per case (default 20). Ends with "N passed, M failed" and a
# non-zero exit code on any failure.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

QC=${1:-}
Q=${2:-}
need_programs "QUILLONC QUILLON" "$QC" "$Q"
QC=$(readlink -f "$QC")
Q=$(readlink -f "$Q")
KILLS=${QUILLON_KILLS:-20}

WORK=$(mktemp -d /tmp/quillon-kill.XXXXXX)
export LANG=C LC_ALL= LC_MESSAGES=
unset QUILLON_LANG
RUNNING=
cleanup() {
  if [[ -n "$RUNNING" ]]; then kill -9 "$RUNNING" "-$RUNNING" 2>/dev/null; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# pause_randomly MAX_MS: waits a random time below MAX_MS milliseconds. Short times are
# spun away (about 500 turns a millisecond) rather than slept, which costs a process.
pause_randomly() {
  local max=$1 turns j r
  if ((max > 20)); then
    r=$((RANDOM % max))
    sleep "$(printf '%d.%03d' $((r / 1000)) $((r % 1000)))"
  else
    turns=$(((RANDOM * 32768 + RANDOM) % (max * 500 + 1)))
    for ((j = 0; j < turns; j++)); do :; done
  fi
}

# elapsed_ms COMMAND...: runs it and prints how long it took.
elapsed_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# kill_during CONFIG WAIT_FOR_GLOB MAX_MS PROGRAM ARGS...: starts the program with the
# store in CONFIG and kills it. With a glob, first waits until a file matching it exists
# (the program is writing then), then a random delay below MAX_MS; without one, only the
# delay. Sets KILLED_PID.
kill_during() {
  local config=$1 glob=$2 max=$3
  shift 3
  XDG_CONFIG_HOME=$config "$@" >"$WORK/out" 2>&1 &
  RUNNING=$!
  KILLED_PID=$RUNNING
  if [[ -n "$glob" ]]; then
    local tries=0
    while ! compgen -G "$glob" >/dev/null && kill -0 "$RUNNING" 2>/dev/null &&
      ((tries++ < 200000)); do :; done
  fi
  pause_randomly "$max"
  kill -9 "$RUNNING" 2>/dev/null
  wait "$RUNNING" 2>/dev/null
  RUNNING=
}

# run_to_end CONFIG PROGRAM ARGS...: output in $OUT.
run_to_end() {
  local config=$1
  shift
  OUT=$(XDG_CONFIG_HOME=$config timeout 60 "$@" 2>&1 | tr -d '\r')
}

# other_files DIR PID NAME...: sets EXTRA to the files in DIR other than the names given.
# Temporary files of the killed process PID are counted and removed (what a later run
# may tidy away).
left_temporaries=0
other_files() {
  local dir=$1 pid=$2 path name expected known others=()
  shift 2
  for path in "$dir"/* "$dir"/.[!.]*; do
    [[ -e "$path" ]] || continue
    name=${path##*/}
    known=no
    for expected in "$@"; do [[ "$name" == "$expected" ]] && known=yes; done
    [[ $known == yes ]] && continue
    if [[ "$name" == .~ql$pid-*.tmp ]]; then
      left_temporaries=$((left_temporaries + 1))
      rm -f "$path"
      continue
    fi
    others+=("$name")
  done
  EXTRA="${others[*]}"
}

# --- (a) a large file replaced through a temporary file -----------------------------------

case_large() {
  local dir="$WORK/large" config="$WORK/config-large"
  mkdir -p "$dir"
  yes 'line of text 0123456789 abcdefghij klmnopqrstuvwxyz' | head -c 64M >"$WORK/large.old"
  cp "$WORK/large.old" "$dir/big.txt"
  run_to_end "$config" "$QC" /C:CRLF -- "$dir/big.txt"
  cp "$dir/big.txt" "$WORK/large.new"
  if cmp -s "$WORK/large.old" "$WORK/large.new"; then
    bad "large: the first run converted nothing: $OUT"
    return
  fi
  cp "$WORK/large.old" "$dir/big.txt"
  local full
  full=$(XDG_CONFIG_HOME=$config elapsed_ms "$Q" /CUIMODE)
  ((full < 20)) && full=20
  local old=0 new=0 i state
  for ((i = 0; i < KILLS; i++)); do
    cp "$WORK/large.old" "$dir/big.txt"
    if ((i % 2 == 0)); then
      kill_during "$config" "" "$full" "$Q" /CUIMODE
    else
      kill_during "$config" "$dir/.~ql*.tmp" $((full / 5 + 5)) "$Q" /CUIMODE
    fi
    if cmp -s "$dir/big.txt" "$WORK/large.old"; then
      state=old
      old=$((old + 1))
    elif cmp -s "$dir/big.txt" "$WORK/large.new"; then
      state=new
      new=$((new + 1))
    else
      state=broken
    fi
    [[ $state != broken ]] && ok || bad "large: kill $i left a file that is neither old nor new"
    other_files "$dir" "$KILLED_PID" big.txt
    [[ -z "$EXTRA" ]] && ok || bad "large: kill $i left $EXTRA"
    run_to_end "$config" "$Q" /CUIMODE
    cmp -s "$dir/big.txt" "$WORK/large.new" && ok || bad "large: the run after kill $i: $OUT"
    other_files "$dir" 0 big.txt
    [[ -z "$EXTRA" ]] && ok || bad "large: the run after kill $i left $EXTRA"
  done
  echo "large file (64 MB, a full run ${full} ms): $KILLS kills, $old left it old, $new new"
}

# --- (b) a file with two hard links, rewritten in place ---------------------------------

case_linked() {
  local dir="$WORK/linked" config="$WORK/config-linked"
  mkdir -p "$dir"
  yes 'linked line 0123456789 abcdefghij' | head -c 24M >"$WORK/linked.old"
  cp "$WORK/linked.old" "$dir/a.txt"
  ln "$dir/a.txt" "$dir/b.txt"
  run_to_end "$config" "$QC" /C:CRLF -- "$dir/a.txt"
  cp "$dir/b.txt" "$WORK/linked.new"
  if cmp -s "$WORK/linked.old" "$WORK/linked.new"; then
    bad "linked: the first run did not change the other link: $OUT"
    return
  fi
  local full
  cat "$WORK/linked.old" >"$dir/a.txt"
  full=$(XDG_CONFIG_HOME=$config elapsed_ms "$Q" /CUIMODE)
  ((full < 20)) && full=20
  local keep="$dir/a.txt.~qlkeep" old=0 new=0 mixed=0 refused=0 i
  for ((i = 0; i < KILLS; i++)); do
    cat "$WORK/linked.old" >"$dir/a.txt"
    if ((i % 2 == 0)); then
      kill_during "$config" "" "$full" "$Q" /CUIMODE
    else
      kill_during "$config" "$keep" $((full / 6 + 3)) "$Q" /CUIMODE
    fi
    [[ $(stat -c %i "$dir/a.txt") == $(stat -c %i "$dir/b.txt") ]] && ok ||
      bad "linked: kill $i parted the links"
    if cmp -s "$dir/a.txt" "$WORK/linked.old"; then
      old=$((old + 1))
      ok
    elif cmp -s "$dir/a.txt" "$WORK/linked.new"; then
      new=$((new + 1))
      ok
    elif [[ -f "$keep" ]] && cmp -s "$keep" "$WORK/linked.old"; then
      mixed=$((mixed + 1))
      ok
    else
      bad "linked: kill $i left a mixed file without its complete old content beside it"
    fi
    other_files "$dir" "$KILLED_PID" a.txt b.txt a.txt.~qlkeep
    [[ -z "$EXTRA" ]] && ok || bad "linked: kill $i left $EXTRA"

    if [[ -e "$keep" ]]; then
      # The next run leaves the file and its copy alone and names the copy, also when the
      # file needs no change (new already, or cut short at a line end).
      refused=$((refused + 1))
      cp "$dir/a.txt" "$WORK/linked.before"
      cp "$keep" "$WORK/linked.keep"
      run_to_end "$config" "$Q" /CUIMODE
      [[ "$OUT" == *"$keep"* ]] && ok ||
        bad "linked: the run after kill $i did not name the copy: $OUT"
      cmp -s "$dir/a.txt" "$WORK/linked.before" && cmp -s "$keep" "$WORK/linked.keep" && ok ||
        bad "linked: the run after kill $i changed the file or its copy"
      # What the user does: the old content back where the file is mixed (a copy beside
      # an old or new file may be one cut short by the kill), then the copy away.
      if ! cmp -s "$dir/a.txt" "$WORK/linked.new" && ! cmp -s "$dir/a.txt" "$WORK/linked.old"; then
        cat "$WORK/linked.keep" >"$dir/a.txt"
      fi
      rm -f "$keep"
    fi
    run_to_end "$config" "$Q" /CUIMODE
    cmp -s "$dir/b.txt" "$WORK/linked.new" && ok || bad "linked: the run after kill $i: $OUT"
    other_files "$dir" 0 a.txt b.txt
    [[ -z "$EXTRA" ]] && ok || bad "linked: the run after kill $i left $EXTRA"
  done
  echo "hard-linked file (24 MB, a full run ${full} ms): $KILLS kills, $old left it old," \
    "$new new, $mixed mixed with the old content beside it; $refused times the next run" \
    "named the copy and left both alone"
}

# --- (c) the settings store, written by quillonc -------------------------------------------

case_store() {
  local dir="$WORK/store" config="$WORK/config-store"
  mkdir -p "$dir"
  printf 'x\n' >"$dir/s.txt"
  local store="$config/quillon/registry.reg"
  run_to_end "$config" "$QC" /C:LF -- "$dir/s.txt"
  cp "$store" "$WORK/store.lf"
  run_to_end "$config" "$QC" /C:CRLF -- "$dir/s.txt"
  cp "$store" "$WORK/store.crlf"
  if cmp -s "$WORK/store.lf" "$WORK/store.crlf"; then
    bad "store: two different settings gave the same store"
    return
  fi
  local full
  full=$(XDG_CONFIG_HOME=$config elapsed_ms "$QC" /C:LF -- "$dir/s.txt")
  ((full < 5)) && full=5
  local same=0 changed=0 i option expected killed
  for ((i = 0; i < KILLS; i++)); do
    if ((i % 2 == 0)); then option=/C:CRLF expected=crlf; else option=/C:LF expected=lf; fi
    # In a process group of its own, so that the quillon it starts goes with it.
    set -m
    XDG_CONFIG_HOME=$config "$QC" "$option" -- "$dir/s.txt" >/dev/null 2>&1 &
    RUNNING=$!
    set +m
    if ((i % 4 < 2)); then
      pause_randomly "$full"
    else
      # Until its temporary file is there, then at once: the store is being written.
      local tries=0
      while ! compgen -G "$config/quillon/.~ql*.tmp" >/dev/null &&
        kill -0 "$RUNNING" 2>/dev/null && ((tries++ < 200000)); do :; done
    fi
    kill -9 -- "-$RUNNING" 2>/dev/null
    wait "$RUNNING" 2>/dev/null
    killed=$RUNNING
    RUNNING=
    if cmp -s "$store" "$WORK/store.$expected"; then
      changed=$((changed + 1))
      ok
    elif cmp -s "$store" "$WORK/store.lf" || cmp -s "$store" "$WORK/store.crlf"; then
      same=$((same + 1))
      ok
    else
      bad "store: kill $i left a store that is neither the old nor the new one"
    fi
    other_files "$config/quillon" "$killed" registry.reg registry.reg.lock
    [[ -z "$EXTRA" ]] && ok || bad "store: kill $i left $EXTRA"
    run_to_end "$config" "$QC" "$option" -- "$dir/s.txt"
    cmp -s "$store" "$WORK/store.$expected" && ok || bad "store: the run after kill $i: $OUT"
  done
  echo "settings store (quillonc ${full} ms): $KILLS kills, $same left the old store," \
    "$changed the new one"
}

case_large
case_linked
case_store
echo "temporary files left by killed runs: $left_temporaries"
finish
