#!/usr/bin/env bash
# Builds the Debian package from the native build (build/, cmake --build build --target
# package) and checks it: the files it must hold, its dependencies and version, lintian
# without errors, and that the programs unpacked from it convert a file.
# Ends with a line "N passed, M failed" and a non-zero exit code on any failure.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
BUILD=${QUILLON_BUILD:-build}
passed=0
failed=0
ok() { passed=$((passed + 1)); }
bad() { echo "package: FAIL: $*"; failed=$((failed + 1)); }
finish() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
  exit
}

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

echo "== building the package"
rm -f "$BUILD"/quillon_*.deb
if ! cmake --build "$BUILD" --target package >"$WORK/cpack.log" 2>&1; then
  cat "$WORK/cpack.log"
  bad "cmake --build $BUILD --target package"
  finish
fi
debs=("$BUILD"/quillon_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
  bad "expected one quillon_*.deb in $BUILD, found: ${debs[*]}"
  finish
fi
DEB=${debs[0]}
echo "package: $DEB"
VERSION=$("$BUILD/quillonc" --version)
VERSION=${VERSION#quillonc }

echo "== contents"
dpkg-deb -c "$DEB" | awk '{print $NF}' | sed 's|^\./|/|' >"$WORK/contents"
for path in /usr/bin/quillon /usr/bin/quillonc \
  /usr/share/man/man1/quillon.1.gz /usr/share/man/man1/quillonc.1.gz \
  /usr/share/man/ja/man1/quillon.1.gz /usr/share/man/ja/man1/quillonc.1.gz \
  /usr/share/bash-completion/completions/quillonc \
  /usr/share/doc/quillon/README.md /usr/share/doc/quillon/copyright \
  /usr/share/doc/quillon/changelog.gz; do
  grep -qxF "$path" "$WORK/contents" && ok || bad "the package lacks $path"
done
# Nothing of the build or the tests slips in.
extra=$(grep -vE '^/usr/(bin/quillonc?|share/(man|bash-completion|doc)(/.*)?|bin/|share/|)$' \
  "$WORK/contents")
[[ -z $extra ]] && ok || bad "unexpected files: $extra"

echo "== control fields"
field() { dpkg-deb -f "$DEB" "$1"; }
[[ $(field Package) == quillon ]] && ok || bad "Package: $(field Package)"
[[ $(field Version) == "$VERSION" ]] && ok || bad "Version $(field Version), quillonc says $VERSION"
[[ $(field Section) == utils ]] && ok || bad "Section: $(field Section)"
[[ -n $(field Maintainer) ]] && ok || bad "no Maintainer"
# The libraries the programs load decide the dependencies (only libc6's when ICU and the
# C++ runtime are linked in): the packages holding them, and nothing else.
needed=$(ldd "$BUILD/quillon" "$BUILD/quillonc" | grep -oE '=> /[^ ]+' | cut -c4- | sort -u |
  xargs -r dpkg -S 2>/dev/null | cut -d: -f1 | sort -u | tr '\n' ' ')
declared=$(field Depends | tr ',' '\n' | sed -E 's/^ *([^ ]+).*/\1/' | sort -u | tr '\n' ' ')
[[ -n $needed && $declared == "$needed" ]] && ok ||
  bad "Depends: [$(field Depends)], the programs load libraries of [$needed]"
[[ $(field Depends) =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || echo "package: Depends: $(field Depends)"

echo "== lintian"
if command -v lintian >/dev/null; then
  lintian --fail-on error --display-level '>=warning' "$DEB" >"$WORK/lintian.log" 2>&1
  status=$?
  grep -v 'running with root privileges' "$WORK/lintian.log"
  ((status == 0)) && ! grep -q '^E:' "$WORK/lintian.log" && ok || bad "lintian reports errors"
else
  bad "lintian is not installed (scripts/setup.sh installs it)"
fi

echo "== unpacked programs"
ROOTFS=$WORK/root
dpkg-deb -x "$DEB" "$ROOTFS"
for page in man1/quillon man1/quillonc ja/man1/quillon ja/man1/quillonc; do
  gz=$ROOTFS/usr/share/man/$page.1.gz
  # gzip -n: no name and no time stamp inside, so the package builds the same each time.
  header=$(od -An -tx1 -N8 "$gz" | tr -d ' \n')
  [[ $header == 1f8b080000000000 ]] && ok ||
    bad "$page.1.gz is not gzip -n ($header)"
  warnings=$(gzip -dc "$gz" | groff -k -Tutf8 -man -ww -z 2>&1)
  [[ -z $warnings ]] && ok || bad "$page renders with warnings: $warnings"
done
out=$("$ROOTFS/usr/bin/quillonc" --version)
[[ $out == "quillonc $VERSION" ]] && ok || bad "unpacked quillonc --version: $out"
(
  source "$ROOTFS/usr/share/bash-completion/completions/quillonc"
  [[ $(complete -p quillonc) == *_quillonc* ]]
) && ok || bad "the completion does not register"

# quillonc from the unpacked /usr/bin starts the quillon beside it.
export XDG_CONFIG_HOME=$WORK/config
mkdir -p "$WORK/files"
printf 'one \r\ntwo\t\r\n' >"$WORK/files/a.txt"
printf '\x82\xa0\r\n' >"$WORK/files/sjis.txt"
(cd "$WORK/files" && QUILLON_LANG=en "$ROOTFS/usr/bin/quillonc" /C:LF /W a.txt) >"$WORK/run.log" 2>&1
status=$?
((status == 0)) && ok || bad "unpacked quillonc exited with $status: $(cat "$WORK/run.log")"
cmp -s "$WORK/files/a.txt" <(printf 'one\ntwo\n') && ok ||
  bad "a.txt not converted: $(od -c "$WORK/files/a.txt" | head -3)"
(cd "$WORK/files" && QUILLON_LANG=en "$ROOTFS/usr/bin/quillonc" /F:sjis /O:utf8 sjis.txt) \
  >"$WORK/run.log" 2>&1
cmp -s "$WORK/files/sjis.txt" <(printf '\xe3\x81\x82\r\n') && ok ||
  bad "sjis.txt not re-encoded: $(od -tx1 "$WORK/files/sjis.txt" | head -3) $(cat "$WORK/run.log")"
[[ -f $XDG_CONFIG_HOME/quillon/registry.reg ]] && ok || bad "no store under XDG_CONFIG_HOME"

finish
