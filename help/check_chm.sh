#!/usr/bin/env bash
# Checks a built quillon.chm: it unpacks, holds the start page, every internal link and
# every entry of the contents and the index leads to a page (and anchor) inside it, every
# page is in the contents, and every option of quillonc is explained.
#   help/check_chm.sh QUILLON_CHM CLI_OPTIONS_CPP
# Prints what is wrong and exits 1; prints "N passed, M failed" in any case.
set -u

if (($# != 2)) || [[ ! -f $1 || ! -f $2 ]]; then
  echo "usage: $0 quillon.chm cli/cli_options.cpp" >&2
  exit 2
fi
chm=$1
options_source=$2
command -v extract_chmLib >/dev/null 2>&1 || {
  echo "check_chm: extract_chmLib not found (package libchm-bin)" >&2
  exit 2
}

work=$(mktemp -d /tmp/quillon-chm-check.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
fail() {
  echo "FAIL: $*"
  failed=$((failed + 1))
}
pass() { passed=$((passed + 1)); }

extract_chmLib "$chm" "$work/chm" >/dev/null 2>&1
if [[ -f $work/chm/_RESOURCE/HLP000001.html ]]; then pass; else fail "start page _RESOURCE/HLP000001.html missing"; fi
contents=$(find "$work/chm" -maxdepth 1 -name '*.hhc' | head -1)
index=$(find "$work/chm" -maxdepth 1 -name '*.hhk' | head -1)
[[ -n $contents ]] && pass || fail "no table of contents (.hhc)"
[[ -n $index ]] && pass || fail "no index (.hhk)"

# Does file (relative to the unpacked root) exist, and does it hold the anchor?
check_target() {  # where-from, target path relative to the root, fragment
  local from=$1 target=$2 fragment=$3
  if [[ ! -f $work/chm/$target ]]; then
    fail "$from: links to missing $target"
    return
  fi
  if [[ -n $fragment ]] &&
    ! grep -q -E "(id|name)=\"$fragment\"" "$work/chm/$target"; then
    fail "$from: links to missing anchor $target#$fragment"
    return
  fi
  pass
}

# Makes a link relative to a page's folder into a path relative to the root (handles ../).
resolve() {  # folder, link
  local folder=$1 link=$2 part
  local -a parts=()
  [[ -n $folder && $folder != . ]] && IFS=/ read -r -a parts <<<"$folder"
  local -a linkParts
  IFS=/ read -r -a linkParts <<<"$link"
  for part in "${linkParts[@]}"; do
    case $part in
      '' | .) ;;
      ..) ((${#parts[@]} > 0)) && unset 'parts[${#parts[@]}-1]' ;;
      *) parts+=("$part") ;;
    esac
  done
  local IFS=/
  echo "${parts[*]}"
}

# The viewer reads the caption, the contents and the index in code page 932, the code page
# of the help file's language: they must be in it, not in UTF-8.
start_title=$(grep -o -E '<title>[^<]*</title>' "$work/chm/_RESOURCE/HLP000001.html" 2>/dev/null |
  sed -E 's|</?title>||g')
for sitemap in "$contents" "$index"; do
  [[ -n $sitemap ]] || continue
  if decoded=$(iconv -f CP932 -t UTF-8 "$sitemap" 2>/dev/null) &&
    ! iconv -f UTF-8 -t UTF-8 "$sitemap" >/dev/null 2>&1; then
    pass
  else
    fail "$(basename "$sitemap") is not in code page 932"
    continue
  fi
  if [[ $sitemap == "$contents" ]]; then
    if [[ -n $start_title ]] && grep -q -F "value=\"$start_title\"" <<<"$decoded"; then
      pass
    else
      fail "the contents do not name the start page \"$start_title\""
    fi
  fi
done
caption=$(printf 'タイドライト' | iconv -f UTF-8 -t CP932)
if [[ -f $work/chm/#SYSTEM ]] && LC_ALL=C grep -q -a -F "$caption" "$work/chm/#SYSTEM"; then
  pass
else
  fail "the help file's title is not タイドライト in code page 932"
fi

pages=()
while IFS= read -r page; do pages+=("${page#"$work/chm/"}"); done \
  < <(find "$work/chm" -type f -name '*.html' | sort)
((${#pages[@]} > 0)) && pass || fail "no pages"

for page in "${pages[@]}"; do
  folder=$(dirname "$page")
  while IFS= read -r link; do
    link=${link#*=\"}
    link=${link%\"}
    case $link in
      http:* | https:* | mailto:* | javascript:*) continue ;;
    esac
    fragment=""
    if [[ $link == *#* ]]; then
      fragment=${link#*#}
      link=${link%%#*}
    fi
    if [[ -z $link ]]; then
      target=$page
    else
      target=$(resolve "$folder" "$link")
    fi
    check_target "$page" "$target" "$fragment"
  done < <(grep -o -E '(href|src)="[^"]*"' "$work/chm/$page")
done

# Contents and index: every entry leads to a page, and every page is in the contents.
for sitemap in "$contents" "$index"; do
  [[ -n $sitemap ]] || continue
  name=$(basename "$sitemap")
  entries=0
  while IFS= read -r local; do
    local=${local#*value=\"}
    local=${local%\"}
    fragment=""
    if [[ $local == *#* ]]; then
      fragment=${local#*#}
      local=${local%%#*}
    fi
    check_target "$name" "$(resolve . "$local")" "$fragment"
    entries=$((entries + 1))
  done < <(grep -o -i -E '<param name="Local" value="[^"]*"' "$sitemap")
  ((entries > 0)) && pass || fail "$name has no entries"
done
if [[ -n $contents ]]; then
  for page in "${pages[@]}"; do
    if grep -q -F "value=\"$page" "$contents"; then pass; else fail "$page is not in the contents"; fi
  done
fi

# quillonc's options, as its parser knows them: the switches and the value options.
switches=$(grep -o -E "\{u'[A-Z]', &CliOptions::" "$options_source" | cut -c4)
values=$(grep -o -E 'TakeValue\(body, u"[A-Z]+"' "$options_source" | grep -o -E '"[A-Z]+"' | tr -d '"')
[[ -n $switches && -n $values ]] && pass || fail "no options found in $options_source"
cli_page="$work/chm/_RESOURCE/commandline.html"
for option in $switches; do
  if grep -q -F "<code>/$option</code>" "$cli_page"; then pass; else fail "quillonc option /$option not explained"; fi
done
for option in $values; do
  if grep -q -F "<code>/$option:</code>" "$cli_page"; then pass; else fail "quillonc option /$option: not explained"; fi
done
for option in '/?' '--help' '--version' '--'; do
  if grep -q -F "<code>$option</code>" "$cli_page"; then pass; else fail "quillonc $option not explained"; fi
done

echo "$passed passed, $failed failed"
((failed == 0))
