#!/bin/bash
# The bash completion of quillonc: options, the values of /C:, /F: and /O: (as bash
# splits them at ":"), file names for targets, and that what it offers is what
# quillonc itself lists and accepts.
#   completion_test.sh COMPLETION_FILE QUILLONC
set -u
COMPLETION=$1
QUILLONC=$2
passed=0
failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "FAIL: $*"; failed=$((failed + 1)); }

# shellcheck disable=SC1090
source "$COMPLETION"
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'

[[ $(complete -p quillonc) == "complete -F _quillonc quillonc" ]] && ok || bad "complete -p quillonc"
[[ $(complete -p quillonc_o) == "complete -F _quillonc quillonc_o" ]] && ok || bad "quillonc_o"

# complete WORD... : the last word is the one completed; sets REPLY_TEXT (sorted, one line).
complete_words() {
  COMP_WORDS=(quillonc "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _quillonc
  REPLY_TEXT=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  REPLY_TEXT=${REPLY_TEXT% }
}
expect() {  # expect DESCRIPTION EXPECTED WORD...
  local what=$1 expected=$2
  shift 2
  complete_words "$@"
  if [[ "$REPLY_TEXT" == "$expected" ]]; then ok; else bad "$what: [$REPLY_TEXT] != [$expected]"; fi
}
has() {  # has DESCRIPTION CANDIDATE WORD...: CANDIDATE among the replies
  local what=$1 candidate=$2
  shift 2
  complete_words "$@"
  if printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$candidate"; then ok; else bad "$what: no $candidate in [$REPLY_TEXT]"; fi
}
lacks() {
  local what=$1 candidate=$2
  shift 2
  complete_words "$@"
  if printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$candidate"; then bad "$what: $candidate in [$REPLY_TEXT]"; else ok; fi
}

echo "== options"
# Every option the help lists is offered after "/" and after "-".
options=$(QUILLON_LANG=en "$QUILLONC" /? | grep -oE '^(　|  )/[A-Z]+:?' | sed -E 's/^(　|  )//' | sort -u)
[[ $(wc -l <<<"$options") -ge 18 ]] && ok || bad "options read from the help: $options"
for option in $options; do
  has "/ offers $option" "$option" /
  has "- offers -${option:1}" "-${option:1}" -
done
has "/RA: offered" /RA: /
expect "long options first" "-- --help --version" --
lacks "--help only first" --help /W -
lacks "--version only first" --version /W --
has "-- later" -- /W -
expect "lower case typed" "/k" /k
expect "prefix" "/RA: /RB:" /R

echo "== values"
# Bash gives "/C:" as "/C" ":" (the cursor after the colon) and "/C:L" as "/C" ":" "L";
# a reply replaces only the text after the colon.
expect "/C: newlines" "CR CRLF LF" /W /C :
expect "/C: after text" "CR CRLF" /W /C : C
expect "/c: in lower case" "CR CRLF" /c : cr
expect "/F: utf-1" "utf-16 utf-16be utf-16le" /F : utf-1
expect "-o: ISO" "iso-2022-jp" -o : ISO
expect "/T: no values" "" /T : 4
expect "/RB: no values" "" /RB : x
# Without ":" among the word breaks the whole argument is replaced.
COMP_WORDBREAKS=$' \t\n'
expect "whole word" "/C:CR /C:CRLF" /C:C
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'

# Every encoding name offered is one quillonc accepts.
complete_words /F :
[[ ${#COMPREPLY[@]} -ge 20 ]] && ok || bad "encoding names: ${#COMPREPLY[@]}"
for name in "${COMPREPLY[@]}"; do
  err=$(QUILLON_LANG=en "$QUILLONC" "/F:$name" 2>&1 >/dev/null)
  [[ $err == *"Please specify some target"* ]] && ok || bad "quillonc rejects /F:$name: $err"
done

echo "== targets"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
touch -- a.txt ab.txt b.txt -x.txt
expect "file names" "a.txt ab.txt" /W a
expect "after a target only files" "" /W a.txt /K
expect "after -- only files" "-x.txt" /W -- -
mkdir -p "$WORK/dir"
touch "$WORK/dir/f.txt"
expect "an absolute path" "$WORK/dir/f.txt" /W "$WORK/dir/f"

echo "$passed passed, $failed failed"
((failed == 0))
