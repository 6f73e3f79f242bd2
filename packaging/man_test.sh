#!/bin/bash
# The manual pages as built: they render without a warning, carry the program's version,
# and the quillonc pages describe every option its help lists.
#   man_test.sh BUILD_MAN_FOLDER QUILLONC
set -u
MAN=$1
QUILLONC=$2
passed=0
failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "FAIL: $*"; failed=$((failed + 1)); }

version=$("$QUILLONC" --version)
version=${version#quillonc }
options=$(QUILLON_LANG=en "$QUILLONC" /? | grep -oE '^(　|  )/[A-Z]+:?' | sed -E 's/^(　|  )//' | sort -u)
[[ $(wc -l <<<"$options") -ge 18 ]] && ok || bad "options read from the help: $options"

for page in quillon.1 quillonc.1 ja/quillon.1 ja/quillonc.1; do
  file=$MAN/$page
  [[ -f $file && -f $file.gz ]] && ok || { bad "$page not built"; continue; }
  cmp -s "$file" <(gzip -dc "$file.gz") && ok || bad "$page.gz differs from $page"
  warnings=$(groff -k -Tutf8 -man -ww -z "$file" 2>&1)
  [[ -z $warnings ]] && ok || bad "$page: $warnings"
  text=$(MANWIDTH=80 man -l "$file" 2>&1)
  [[ $text == *"quillon $version"* ]] && ok || bad "$page does not carry version $version"
  [[ $text != *@* ]] && ok || bad "$page keeps an unreplaced @ name"
  if [[ $page == *quillonc.1 ]]; then
    for option in $options --help --version; do
      grep -qF -- "${option//-/\\-}" "$file" && ok || bad "$page lacks $option"
    done
    for code in registry.reg quillon.ini .~ql '~qlkeep' .bak; do
      grep -qF -- "$code" "$file" && ok || bad "$page lacks $code"
    done
  fi
done

echo "$passed passed, $failed failed"
((failed == 0))
