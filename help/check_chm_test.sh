#!/usr/bin/env bash
# The help file's build and checker find what they must: a help file is built from a copy
# of help/ with faults put in, and check_chm.sh has to name each fault; a project that
# lists a missing page must fail to build and leave no help file behind.
#   help/check_chm_test.sh HELP_FOLDER CLI_OPTIONS_CPP
set -u

if (($# != 2)) || [[ ! -d $1 || ! -f $2 ]]; then
  echo "usage: $0 help-folder cli/cli_options.cpp" >&2
  exit 2
fi
help=$(cd "$1" && pwd)
options_source=$(readlink -f "$2")
work=$(mktemp -d /tmp/quillon-chm-selftest.XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lib.sh"
quiet() { "$@" >/dev/null; }

# The sources as they are: built and checked without a complaint.
check "sources build" quiet bash "$help/build_chm.sh" "$help" "$work/good" "$work/good.chm"
check "sources pass the check" quiet bash "$help/check_chm.sh" "$work/good.chm" "$options_source"

# Four faults, one of each kind the checker looks for.
cp -R "$help" "$work/broken"
pages="$work/broken/_RESOURCE"
sed -i 's|href="files.html#backup"|href="files.html#no-such-anchor"|' "$pages/dialog.html"
sed -i 's|href="faq.html"|href="no-such-page.html"|' "$pages/HLP000001.html"
sed -i 's|<code>/W</code>|<code>W</code>|g' "$pages/commandline.html"
sed -i '/_RESOURCE\/english.html/d' "$work/broken/quillon.hhc"
bash "$help/build_chm.sh" "$work/broken" "$work/broken-build" "$work/broken.chm" ||
  bad "faulty pages still build"
report=$(bash "$help/check_chm.sh" "$work/broken.chm" "$options_source")
code=$?
expect_eq "faults make the check fail" 1 "$code"
for fault in "missing anchor _RESOURCE/files.html#no-such-anchor" \
  "missing _RESOURCE/no-such-page.html" "option /W not explained" \
  "_RESOURCE/english.html is not in the contents"; do
  check "reported: $fault" grep -q -F "$fault" <<<"$report"
done
expect_eq "nothing else reported" 4 "$(grep -c '^FAIL' <<<"$report")"

# A page listed in the project but missing: the build fails and leaves nothing.
cp -R "$help" "$work/missing"
rm "$work/missing/_RESOURCE/faq.html"
if bash "$help/build_chm.sh" "$work/missing" "$work/missing-build" "$work/missing.chm" \
  2>/dev/null; then
  bad "a missing page builds"
else
  ok
fi
check "no help file after a failed build" test ! -e "$work/missing.chm"

finish check_chm_test
