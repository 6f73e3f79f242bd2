# The harness the end-to-end scripts share; each script sources it:
#   source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# It counts checks in passed, failed and skipped and prints the closing line.

passed=0
failed=0
skipped=0

ok() { passed=$((passed + 1)); }
bad() {  # bad TEXT...: one failed check, printed as "FAIL: TEXT"
  failed=$((failed + 1))
  echo "FAIL: $*"
}
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
skip() {  # skip DESCRIPTION
  skipped=$((skipped + 1))
  echo "skipped: $1"
}
expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
  if [[ "$2" == "$3" ]]; then ok; else bad "$1: expected [$2], got [$3]"; fi
}

# finish [LABEL]: prints "[LABEL: ]N passed, M failed"; true when nothing failed.
finish() {
  echo "${1:+$1: }$passed passed, $failed failed"
  ((failed == 0))
}

# need_programs USAGE PROGRAM...: ends the script with the usage (exit code 2) unless
# every PROGRAM is an executable file.
need_programs() {
  local usage=$1 program
  shift
  for program in "$@"; do
    if [[ ! -x "$program" ]]; then
      echo "usage: $0 $usage" >&2
      exit 2
    fi
  done
}

# wait_for SECONDS COMMAND...: true as soon as the command is, polled four times a second.
wait_for() {
  local tries=$(($1 * 4))
  shift
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.25
  done
  return 1
}

# The stores' text: UTF-16LE with its mark; an INI file [Main] in FOLDER.
utf16() { printf '\xff\xfe'; printf '%s' "$1" | iconv -f utf-8 -t utf-16le; }
# A store's text as UTF-8 without the CRs (nothing for a file that is not there).
ini_text() { iconv -f utf-16le -t utf-8 <"$1" 2>/dev/null | tr -d '\r'; }
ini() {  # ini FOLDER KEY=VALUE...
  local folder=$1 line
  shift
  local text=$'[Main]\r\n'
  for line in "$@"; do text+="$line"$'\r\n'; done
  utf16 "$text" >"$folder/quillon.ini"
}

# A Linux path as a Windows program under Wine sees it (drive Z:).
winpath() { printf 'Z:%s' "${1//\//\\}"; }
