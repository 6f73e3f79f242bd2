#!/usr/bin/env bash
# quillonc end to end: the real quillonc and quillon on temporary trees.
#
#   quillonc_e2e.sh --native path/to/quillonc path/to/quillon
#   quillonc_e2e.sh --wine   path/to/quillonc.exe path/to/quillon.exe
#
# The Windows programs run under Wine (QUILLON_E2E_WINEPREFIX picks a prefix to reuse;
# otherwise a fresh one is made, whose first start takes a while). Ends with
# "N passed, M failed" and a non-zero exit code on any failure.
set -uo pipefail

MODE=${1:-}
QC_SOURCE=${2:-}
Q_SOURCE=${3:-}
if [[ "$MODE" != --native && "$MODE" != --wine ]] || [[ ! -f "$QC_SOURCE" || ! -f "$Q_SOURCE" ]]; then
  echo "usage: $0 --native|--wine QUILLONC QUILLON" >&2
  exit 2
fi
SELF=$(readlink -f "${BASH_SOURCE[0]}")
QC_SOURCE=$(readlink -f "$QC_SOURCE")
Q_SOURCE=$(readlink -f "$Q_SOURCE")

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
if [[ "$MODE" == --wine && -z "${DISPLAY:-}" ]]; then
  # Every Wine start below shares one X display.
  exec xvfb-run -a bash "$SELF" "$@"
fi

WORK=$(mktemp -d /tmp/quillonc-e2e.XXXXXX)
export LANG=C LC_ALL= LC_MESSAGES=
unset QUILLON_LANG
export XDG_CONFIG_HOME="$WORK/config"

if [[ "$MODE" == --wine ]]; then
  export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX=${QUILLON_E2E_WINEPREFIX:-$WORK/wineprefix}
  EXE=.exe
else
  EXE=
fi

cleanup() {
  if [[ "$MODE" == --wine ]]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# The programs in one folder, with the INI-store copies under their _o names.
BIN="$WORK/bin"
make_bin() {  # make_bin FOLDER
  mkdir -p "$1"
  cp "$QC_SOURCE" "$1/quillonc$EXE"
  cp "$Q_SOURCE" "$1/quillon$EXE"
  cp "$QC_SOURCE" "$1/quillonc_o$EXE"
  cp "$Q_SOURCE" "$1/quillon_o$EXE"
}
make_bin "$BIN"

# A path as the program sees it.
prog_path() { if [[ "$MODE" == --wine ]]; then winpath "$1"; echo; else echo "$1"; fi; }

# run DIR PROGRAM ARGS...: runs PROGRAM (a path without .exe) in DIR; sets RC, OUT, ERR
# (the text with CR LF turned into LF; under Wine from the console code page).
OUT_FILE="$WORK/out"
ERR_FILE="$WORK/err"
run() {
  local dir=$1 program=$2
  shift 2
  if [[ "$MODE" == --wine ]]; then
    (cd "$dir" && timeout 120 "$WINE" "$program.exe" "$@" >"$OUT_FILE" 2>"$ERR_FILE")
  else
    (cd "$dir" && timeout 60 "$program" "$@" >"$OUT_FILE" 2>"$ERR_FILE")
  fi
  RC=$?
  OUT=$(decode <"$OUT_FILE"; echo .)
  OUT=${OUT%.}
  ERR=$(decode <"$ERR_FILE"; echo .)
  ERR=${ERR%.}
}
WINE_CODEPAGE=
decode() {
  if [[ "$MODE" == --wine && -n "$WINE_CODEPAGE" ]]; then
    iconv -f "$WINE_CODEPAGE" -t UTF-8 | tr -d '\r'
  else
    tr -d '\r'
  fi
}

# --- the settings stores ----------------------------------------------------------------

KEY='HKCU\Software\Orvalent\quillon\CurrentVersion'
reset_stores() {
  rm -f "$BIN/quillon.ini"
  if [[ "$MODE" == --wine ]]; then
    "$WINE" reg delete 'HKCU\Software\Orvalent' /f >/dev/null 2>&1
  else
    rm -rf "$XDG_CONFIG_HOME"
  fi
}
registry_exists() {
  if [[ "$MODE" == --wine ]]; then
    "$WINE" reg query "$KEY" >/dev/null 2>&1
  else
    [[ -f "$XDG_CONFIG_HOME/quillon/registry.reg" ]]
  fi
}
# load_store registry|ini [INI FILE]: the keys as NAME=VALUE lines in $STORE, integers in
# decimal (as the signed 32-bit values), texts unquoted.
load_store() {
  STORE="$WORK/store.txt"
  if [[ $1 == ini ]]; then
    iconv -f UTF-16LE -t UTF-8 "${2:-$BIN/quillon.ini}" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' |
      grep '=' | sed -E 's/^"(.*)"$/\1/' >"$STORE"
    # Quoted INI values keep their edges; the quotes are not part of the text.
    sed -i -E 's/^([^=]*)="(.*)"$/\1=\2/' "$STORE"
    return
  fi
  local reg="$WORK/export.reg"
  if [[ "$MODE" == --wine ]]; then
    rm -f "$reg"
    "$WINE" reg export "$KEY" "$(winpath "$reg")" /y >/dev/null 2>&1
  else
    cp "$XDG_CONFIG_HOME/quillon/registry.reg" "$reg" 2>/dev/null
  fi
  : >"$STORE"
  [[ -f "$reg" ]] || return
  local name value
  while IFS= read -r line; do
    [[ $line =~ ^\"([^\"]*)\"=(.*)$ ]] || continue
    name=${BASH_REMATCH[1]}
    value=${BASH_REMATCH[2]}
    if [[ $value =~ ^dword:([0-9a-fA-F]{8})$ ]]; then
      value=$((16#${BASH_REMATCH[1]}))
      ((value > 2147483647)) && value=$((value - 4294967296))
    elif [[ $value =~ ^\"(.*)\"$ ]]; then
      value=${BASH_REMATCH[1]}
      value=${value//\\\"/\"}
      value=${value//\\\\/\\}
    fi
    echo "$name=$value" >>"$STORE"
  done < <(iconv -f UTF-16LE -t UTF-8 "$reg" | tr -d '\r')
}
value() { grep -i -m1 "^$1=" "$STORE" | cut -d= -f2-; }
expect_values() {  # expect_values WHAT NAME=VALUE...
  local what=$1
  shift
  for pair in "$@"; do expect_eq "$what: ${pair%%=*}" "${pair#*=}" "$(value "${pair%%=*}")"; done
}
key_order() { cut -d= -f1 "$STORE" | tr '\n' ' '; }

# --- the texts ---------------------------------------------------------------------------

HELP_EN=$(cat <<'TEXT'
Tidewright for Command Line Edition

Make the unification of line feed code in the text file. I can also be performed, such as string conversion using and processing for the special code, regular expressions. In order to use this program, quillon.exe is required in the same folder as the present program.

quillonc [options] <target...>

*options:
　/K -- Creates backup files.
　/Y -- Searches in the subfolders of the specified folder.
　/F:CharCode -- Specifies Character code without BOM. You can use sjis, utf16, utf16be, utf8, utf7, euc, jis,ebcdic or Code-Page.
　/M:n -- Inserts new-line code every n bytes.
　/L:n -- Inserts new-line code every n characters.
　/C:Newline -- Converts new-line code. You can use CR, LF or CRLF.
　/Z -- Converts a full-pitch space to two half-pitch spaces.
　/H -- Converts a full-pitch space to one half-pitch space.
　/W -- Removes the white space at the end of the line.
　/T:n -- Converts a TAB code to n half-pitch spaces.
　/D -- Removes all control codes(0x01-0x1f excluded CR, LF, TAB and EOF).
　/A -- Removes all control codes to half-pitch space.
　/O:CharCode -- Specifies Character code for output files.
  /Q -- Do not change the timestamp.
　/RB:bbbb /RA:aaaa -- String replacement
  /E -- /RB,/RA use regular expression.
　/P -- /RB,/RA case insensitive.
　/G -- /E An all-text are matched single-line.
　/N -- /E A dot('.') does not match a newline code.

*target...:
　Specifies some target path. You can use the wildcards.
TEXT
)
HELP_JA=$(cat <<'TEXT'
タイドライトコマンドライン版

テキストファイルの改行コードの統一を行います。特殊コードに対する処理や、正規表現を利用した文字列変換なども行えます。本プログラムを利用するには、本プログラムと同一のフォルダ内にquillon.exe(タイドライト[GUI版] ver.1.50以上)が必要です。

quillonc [options] <target...>

・optionsの指定：
　/K … ファイルのバックアップを行う
　/Y … サブフォルダも検索する
　/F:文字コード … BOMがないファイルの文字コードを指定。文字コードには sjis, utf16, utf16be, utf8, utf7, euc, jis, ebcdic,任意のコードページ のいずれかを指定。
　/M:n … nバイト毎に改行コードを挟む
　/L:n … n文字毎に改行コードを挟む
　/C:改行コード … 改行コードの統一を行う。CR, LF, CRLF のいずれかを指定。
　/Z … 全角スペースを半角スペース2つに変換
　/H … 全角スペースを半角スペース1つに変換
　/W … 行末のホワイトスペースを除去
　/T:n … タブをnカラムのスペースに変換
　/D … 無効なコントロールコード(0x01～0x1Fのうち改行・TAB・EOF以外)を取り除く
　/A … 無効なコントロールコード(同上)を半角スペースに変換(/Dと同時指定不可)
　/O:文字コード … 書込時のファイルの文字コードを指定。文字コードは /F と同じ
　/Q … タイムスタンプを維持する
　/RB:bbbb /RA:aaaa … 文字列置換
  /E … /RB,/RAの文字列変換で正規表現(boost::regex)を用いる
　/P … /RB,/RAを使う場合に、英大小文字の違いを無視する
　/G … /Eを使う場合に、全体で一行と見なす
　/N … /Eを使う場合に、'.'(ドット)を改行にマッチさせない

・target...の指定：
　置換対象のテキストファイルの名前を指定できます。ワイルドカード指定・複数指定が可能です。
TEXT
)
NL=$'\n'

T="$WORK/t"  # the tree of the current case
fresh_tree() { rm -rf "$T" && mkdir -p "$T"; }
hexof() { od -An -tx1 -v "$1" | tr -d ' \n'; }

# Under Wine the language follows the code page, and 932 comes with a Japanese locale,
# which Wine takes from the C library: one is made here when the system has none.
JAPANESE_CONSOLE=1
if [[ "$MODE" == --wine ]]; then
  mkdir -p "$WORK/locale"
  if localedef -i ja_JP -f UTF-8 "$WORK/locale/ja_JP.UTF-8" >/dev/null 2>&1; then
    export LOCPATH="$WORK/locale"
  elif ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    JAPANESE_CONSOLE=0
    echo "SKIP: no Japanese locale for Wine; the checks that need code page 932 are left out"
  fi
fi
with_japanese_console() {
  export LANG=ja_JP.UTF-8
  if [[ "$MODE" == --wine ]]; then WINE_CODEPAGE=CP932; fi
}
with_english_console() {
  export LANG=C
  WINE_CODEPAGE=
}

if [[ "$MODE" == --wine ]]; then
  echo "== preparing the Wine prefix"
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d "" /f >/dev/null 2>&1
  "$WINESERVER" -p 2>/dev/null  # one server for all the runs below
fi

# --- help --------------------------------------------------------------------------------
echo "== help"
reset_stores
fresh_tree
if ((JAPANESE_CONSOLE)); then
with_japanese_console  # the code page of the Windows console must hold U+3000
export QUILLON_LANG=en
for args in "" "/?" "-?" "/? /W x" "--help" "--help /W x"; do
  # shellcheck disable=SC2086
  run "$T" "$BIN/quillonc" $args
  expect_eq "help [$args] exit code" 0 "$RC"
  expect_eq "help [$args] text" "$HELP_EN$NL" "$OUT"
  expect_eq "help [$args] standard error" "" "$ERR"
done
export QUILLON_LANG=jA
run "$T" "$BIN/quillonc"
expect_eq "Japanese help" "$HELP_JA$NL" "$OUT"
run "$T" "$BIN/quillonc" --help
expect_eq "Japanese --help" "$HELP_JA$NL" "$OUT"
unset QUILLON_LANG
run "$T" "$BIN/quillonc" "-?"
expect_eq "Japanese help from the console language" "$HELP_JA$NL" "$OUT"
with_english_console
run "$T" "$BIN/quillonc"
expect_eq "help in an English console is English" "$(head -1 <<<"$HELP_EN")" "$(head -1 <<<"$OUT")"
if [[ "$MODE" == --native ]]; then
  expect_eq "help bytes (no CR)" "$HELP_EN$NL." "$(cat "$OUT_FILE"; echo .)"
fi
fi
# --version: the project's version number on standard output, whatever follows it.
VERSION=$(sed -nE 's/^project\(quillon VERSION ([0-9.]+) .*/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../../CMakeLists.txt")
for args in "--version" "--version /W x"; do
  # shellcheck disable=SC2086
  run "$T" "$BIN/quillonc" $args
  expect_eq "version [$args] exit code" 0 "$RC"
  expect_eq "version [$args] text" "quillonc $VERSION$NL" "$OUT"
  expect_eq "version [$args] standard error" "" "$ERR"
done
if [[ "$MODE" == --native ]]; then
  expect_eq "version bytes" "quillonc $VERSION$NL." "$(cat "$OUT_FILE"; echo .)"
fi
if registry_exists || [[ -e "$BIN/quillon.ini" ]]; then bad "help wrote the store"; else ok; fi

# --- errors ------------------------------------------------------------------------------
echo "== errors"
expect_error() {  # expect_error MESSAGE ARGS...: exit 1, the message, nothing written
  local message=$1
  shift
  reset_stores
  printf 'a \n' >"$T/a.txt"
  run "$T" "$BIN/quillonc" "$@"
  expect_eq "[$*] exit code" 1 "$RC"
  expect_eq "[$*] message" "$message$NL" "$ERR"
  expect_eq "[$*] standard output" "" "$OUT"
  if registry_exists || [[ -e "$BIN/quillon.ini" ]]; then bad "[$*] wrote the store"; else ok; fi
  expect_eq "[$*] file untouched" "61200a" "$(hexof "$T/a.txt")"
}
with_english_console
expect_error "quillonc: Invalid option - /X" /W /X a.txt
expect_error "quillonc: Invalid option - /K1" /K1 /W a.txt
# The long options count only first and spelled exactly.
expect_error "quillonc: Invalid option - --version" /W --version a.txt
expect_error "quillonc: Invalid option - --help" /W --help a.txt
expect_error "quillonc: Invalid option - --VERSION" --VERSION /W a.txt
expect_error "quillonc: Invalid option - /F:" /W /F: a.txt
expect_error "quillonc: Invalid option - /RB:" /RB: /RA:x a.txt
expect_error "quillonc: Invalid option - /T:" /T: a.txt
expect_error "quillonc: Invalid Character Code - /F:utf_8" /W /F:utf_8 a.txt
expect_error "quillonc: Invalid Character Code - /O:0" /O:0 a.txt
expect_error "quillonc: Invalid TAB count(1-99). - /T:0" /T:0 a.txt
expect_error "quillonc: Invalid TAB count(1-99). - /T:100" /T:100 a.txt
expect_error "quillonc: Newline Code are CR, LF or CRLF. - /C:CRLF2" /C:CRLF2 a.txt
expect_error "quillonc: Newline Code are CR, LF or CRLF. - /C:X" /C:X a.txt
expect_error "quillonc: Please specify some target file names." /W /K
expect_error "quillonc: Please specify some target file names." /W --
expect_error "quillonc: Please specify some options for converting." /K a.txt
expect_error "quillonc: Please specify some options for converting." /F:utf8 a.txt
expect_error "quillonc: Please specify some options for converting." /RB:a a.txt
# An absolute Linux path is an option unless "--" comes first.
expect_error "quillonc: Invalid option - /tmp/a.txt" /W /tmp/a.txt
if ((JAPANESE_CONSOLE)); then
export QUILLON_LANG=ja
with_japanese_console
expect_error "quillonc: 不正なオプションです - /K1" /K1 a.txt
expect_error "quillonc: 文字コードの指定が不正です - /F:utf_8" /W /F:utf_8 a.txt
expect_error "quillonc: 改行コードには CR, LF, CRLFのいずれかを指定します - /C:CRLF2" /C:CRLF2 a.txt
expect_error "quillonc: タブのスペース変換数には1～99を指定して下さい - /T:100" /T:100 a.txt
expect_error "quillonc: 変換対象のファイルを指定してください。" /W /K
expect_error "quillonc: 変換オプションが指定されていません。" /K a.txt
unset QUILLON_LANG
with_english_console
fi

# --- conversions through the registry store -----------------------------------------------
echo "== registry store"
reset_stores
fresh_tree
printf 'a\r\nb\n' >"$T/x"
run "$T" "$BIN/quillonc" /C:crlf x
expect_eq "/C:crlf exit code" 0 "$RC"
load_store registry
expect_values "/C:crlf" CrlfTrans=1 CrlfTransWay=3 "TargetPath=$(prog_path "$T/x")"
expect_eq "/C:crlf converted" "610d0a620d0a" "$(hexof "$T/x")"
if [[ -e "$BIN/quillon.ini" ]]; then bad "the registry call made an INI file"; else ok; fi

reset_stores
fresh_tree
printf 'one  \n' >"$T/a.txt"
printf 'two\t\n' >"$T/b.txt"
run "$T" "$BIN/quillonc" /W a.txt b.txt
expect_eq "/W a.txt b.txt exit code" 0 "$RC"
expect_eq "/W a.txt converted" "6f6e650a" "$(hexof "$T/a.txt")"
expect_eq "/W b.txt converted" "74776f0a" "$(hexof "$T/b.txt")"
load_store registry
expect_values "two targets" "TargetPath=$(prog_path "$T/b.txt")"
if [[ "$MODE" == --native ]]; then
  expect_eq "quillon reports each target" 2 "$(grep -c 'Target files:1, Replaced files:1' <<<"$OUT")"
fi

# Options after the first target are targets: /K makes no backup here.
fresh_tree
printf 'a \n' >"$T/a.txt"
run "$T" "$BIN/quillonc" /W a.txt /K
expect_eq "/W a.txt /K converted" "610a" "$(hexof "$T/a.txt")"
if [[ -e "$T/a.txt.bak" ]]; then bad "/K after a target made a backup"; else ok; fi
load_store registry
expect_values "/K after a target" FileBackup=0

# Every option at once, every key written.
reset_stores
fresh_tree
printf 'foo\tx\n' >"$T/all.txt"
run "$T" "$BIN/quillonc" /k -Y /F:utf8 /M:0 /L:0 /C:lf /Z /H /W /T:3 /D /A /O:utf-8 /Q \
  /RB:foo /RA:bar /E /P /G /N all.txt
expect_eq "every option exit code" 0 "$RC"
load_store registry
expect_values "every option" FileBackup=1 SearchSubFolders=1 CharEncode=4 CharEncodeOther=0 \
  WriteEncode=4 WriteEncodeOther=0 CrlfTrans=1 CrlfTransWay=1 ZenSp2SpSp=1 ZenSp2Sp=1 \
  DelRightWhiteSpace=1 Tab2Space=1 Tab2SpaceClm=3 DelControlCode=1 ControlCode2Space=1 SETTS=1 \
  ReplaceString=1 BeforeReplace=foo AfterReplace=bar RepUseRegex=1 RepICase=1 Rep1Line=1 \
  RepMatchNotDotNewLine=1 InsLfByte=0 InsLfChar=0 "TargetPath=$(prog_path "$T/all.txt")"
# Registry values have no order of their own; the hive file here keeps them as written.
[[ "$MODE" == --native ]] && expect_eq "every option: the keys, TargetPath last" \
  "FileBackup SearchSubFolders CharEncode CharEncodeOther WriteEncode WriteEncodeOther CrlfTrans CrlfTransWay ZenSp2SpSp ZenSp2Sp DelRightWhiteSpace Tab2Space Tab2SpaceClm DelControlCode ControlCode2Space SETTS ReplaceString BeforeReplace AfterReplace RepUseRegex RepICase Rep1Line RepMatchNotDotNewLine InsLfByte InsLfChar TargetPath " \
  "$(load_store registry; key_order)"
if [[ -e "$T/all.txt.bak" ]]; then ok; else bad "/K made no backup"; fi

# A later call resets what it does not name, and code pages given as numbers.
run "$T" "$BIN/quillonc" /F:932 /O:65001abc /M:-1 /L:7 all.txt
load_store registry
expect_values "second call" FileBackup=0 SearchSubFolders=0 CharEncode=9 CharEncodeOther=932 \
  WriteEncode=9 WriteEncodeOther=65001 CrlfTrans=0 CrlfTransWay=0 Tab2Space=0 Tab2SpaceClm=4 \
  ReplaceString=0 BeforeReplace= AfterReplace= RepUseRegex=0 InsLfByte=-1 InsLfChar=7

# What the options do to the files.
effect() {  # effect WHAT INPUT-PRINTF EXPECTED-HEX OPTIONS...
  local what=$1 input=$2 expected=$3
  shift 3
  fresh_tree
  printf "$input" >"$T/f.txt"
  run "$T" "$BIN/quillonc" "$@" f.txt
  expect_eq "$what: exit code" 0 "$RC"
  expect_eq "$what" "$expected" "$(hexof "$T/f.txt")"
}
effect "/T:2" 'a\tb\n' "6120620a" /T:2
effect "/RB:a /RA: removes" 'banana\n' "626e6e0a" /RB:a /RA:
effect "/RB /RA /P" 'Foo foo\n' "626172206261720a" /RB:foo /RA:bar /P
effect "/RB /RA /E" 'a1 b22\n' "61232062230a" '/RB:[0-9]+' '/RA:#' /E
effect "/C:CR" 'a\nb\n' "610d620d" /C:CR
effect "/D" 'a\001b\n' "61620a" /D
effect "/A" 'a\001b\n' "6120620a" /A
effect "/Z" 'a\343\200\200b\n' "612020620a" /F:utf8 /Z
effect "/H" 'a\343\200\200b\n' "6120620a" /F:utf8 /H
# Where the breaks go is the engine's business; here it is enough that they arrive.
changes() {  # changes WHAT INPUT-PRINTF OPTIONS...
  local what=$1 input=$2
  shift 2
  fresh_tree
  printf "$input" >"$T/f.txt"
  local before
  before=$(hexof "$T/f.txt")
  run "$T" "$BIN/quillonc" "$@" f.txt
  expect_eq "$what: exit code" 0 "$RC"
  if [[ $(hexof "$T/f.txt") != "$before" ]]; then ok; else bad "$what: file unchanged"; fi
}
changes "/M:2" 'abcdef\n' /M:2
changes "/L:2" 'abcdef\n' /L:2
effect "/M:0 changes nothing" 'a \n' "61200a" /M:0
effect "/O:utf16" 'ab\n' "610062000a00" /O:utf16

fresh_tree
printf 'a \n' >"$T/q.txt"
touch -d '2001-02-03 04:05:06' "$T/q.txt"
run "$T" "$BIN/quillonc" /Q /W q.txt
expect_eq "/Q converted" "610a" "$(hexof "$T/q.txt")"
expect_eq "/Q keeps the time stamp" "2001-02-03 04:05:06" "$(date -r "$T/q.txt" '+%Y-%m-%d %H:%M:%S')"

# Wildcards, with and without the subfolders, from another current directory.
fresh_tree
mkdir -p "$T/top/sub" "$T/elsewhere"
for f in top/a.txt top/sub/b.txt top/c.dat; do printf 'x \n' >"$T/$f"; done
run "$T/top" "$BIN/quillonc" /Y /W '*.txt'
load_store registry
expect_values "/Y /W *.txt" SearchSubFolders=1 "TargetPath=$(prog_path "$T/top/*.txt")"
expect_eq "/Y: top file" "780a" "$(hexof "$T/top/a.txt")"
expect_eq "/Y: subfolder file" "780a" "$(hexof "$T/top/sub/b.txt")"
expect_eq "/Y: other extension untouched" "78200a" "$(hexof "$T/top/c.dat")"
printf 'x \n' >"$T/top/sub/b.txt"
printf 'y \n' >"$T/top/a.txt"
run "$T/elsewhere" "$BIN/quillonc" /W '../top/*.txt'
load_store registry
expect_values "no /Y" SearchSubFolders=0 "TargetPath=$(prog_path "$T/top/*.txt")"
expect_eq "no /Y: top file" "790a" "$(hexof "$T/top/a.txt")"
expect_eq "no /Y: subfolder untouched" "78200a" "$(hexof "$T/top/sub/b.txt")"

# "--" lets an absolute path be a target.
fresh_tree
printf 'a \n' >"$T/abs.txt"
run "$WORK" "$BIN/quillonc" /W -- "$(prog_path "$T/abs.txt")"
expect_eq "-- then an absolute path: exit code" 0 "$RC"
expect_eq "-- then an absolute path" "610a" "$(hexof "$T/abs.txt")"

# Targets that cannot be handed over, or that match nothing, are passed over.
fresh_tree
printf 'a \n' >"$T/ok.txt"
long=$(printf 'd%.0s' {1..600})
run "$T" "$BIN/quillonc" /W "$long/x.txt" 'nothing*.none' ok.txt
expect_eq "long path: exit code" 0 "$RC"
expect_eq "long path: message" "quillonc:Invalid file name - $long/x.txt" "$(grep 'quillonc' <<<"$ERR")"
expect_eq "long path: the next targets still run" "610a" "$(hexof "$T/ok.txt")"
load_store registry
expect_values "long path" "TargetPath=$(prog_path "$T/ok.txt")"
if ((JAPANESE_CONSOLE)); then
  with_japanese_console
  QUILLON_LANG=JA run "$T" "$BIN/quillonc" /W "$long"
  expect_eq "long path in Japanese" "0 quillonc: 扱えないファイル名です - $long$NL" "$RC $ERR"
  with_english_console
fi

# --- the INI store ------------------------------------------------------------------------
echo "== INI store"
reset_stores
fresh_tree
printf 'a\nb\n' >"$T/i.txt"
run "$T" "$BIN/quillonc_o" /C:CRLF /T:8 i.txt
expect_eq "INI store: exit code" 0 "$RC"
expect_eq "INI store: converted" "610d0a620d0a" "$(hexof "$T/i.txt")"
if [[ -f "$BIN/quillon.ini" ]]; then ok; else bad "no INI file beside the programs"; fi
if [[ -e "$T/quillon.ini" ]]; then bad "INI file in the current directory"; else ok; fi
if registry_exists; then bad "the INI store wrote the registry"; else ok; fi
# Windows' profile functions rewrite the file as they like once it exists; the six bytes
# of a new file show here only where the file is written line by line.
[[ "$MODE" == --native ]] && expect_eq "INI file begins with the mark and an empty line" \
  "fffe0d000a00" "$(hexof "$BIN/quillon.ini" | cut -c1-12)"
load_store ini
expect_values "INI store" CrlfTrans=1 CrlfTransWay=3 Tab2Space=1 Tab2SpaceClm=8 \
  SearchSubFolders=0 "TargetPath=$(prog_path "$T/i.txt")"
expect_eq "INI store: the keys, TargetPath last" \
  "FileBackup SearchSubFolders CharEncode CharEncodeOther WriteEncode WriteEncodeOther CrlfTrans CrlfTransWay ZenSp2SpSp ZenSp2Sp DelRightWhiteSpace Tab2Space Tab2SpaceClm DelControlCode ControlCode2Space SETTS ReplaceString BeforeReplace AfterReplace RepUseRegex RepICase Rep1Line RepMatchNotDotNewLine InsLfByte InsLfChar TargetPath " \
  "$(key_order)"
run "$T" "$BIN/quillonc_o" /M:-1 /RB:' a ' /RA:b i.txt
load_store ini
expect_values "INI store, second call" InsLfByte=4294967295 CrlfTrans=0 "BeforeReplace= a " \
  AfterReplace=b ReplaceString=1
expect_eq "INI store stays UTF-16LE" "fffe" "$(hexof "$BIN/quillon.ini" | cut -c1-4)"
reset_stores
run "$T" "$BIN/quillonc_o" /K1 i.txt
if [[ -e "$BIN/quillon.ini" ]]; then bad "an error created the INI file"; else ok; fi

# --- launch failures ----------------------------------------------------------------------
echo "== launch failure"
LONELY="$WORK/lonely"
mkdir -p "$LONELY"
cp "$QC_SOURCE" "$LONELY/quillonc$EXE"
fresh_tree
printf 'a \n' >"$T/a.txt"
run "$T" "$LONELY/quillonc" /W a.txt b.txt
expect_eq "missing quillon: exit code" 0 "$RC"
line="quillonc: Unexpected error(GetLastError()=00000002) - \"$(prog_path "$LONELY/quillon$EXE")\" /CUIMODE"
expect_eq "missing quillon: one message per target" "$line$NL$line$NL" "$ERR"
expect_eq "missing quillon: file untouched" "61200a" "$(hexof "$T/a.txt")"
if ((JAPANESE_CONSOLE)); then
  with_japanese_console
  QUILLON_LANG=ja run "$T" "$LONELY/quillonc" /W a.txt
  expect_eq "missing quillon in Japanese" \
    "quillonc: 実行できません(GetLastError()=00000002) - \"$(prog_path "$LONELY/quillon$EXE")\" /CUIMODE$NL" \
    "$ERR"
  with_english_console
fi

# --- quillon that does not end normally ----------------------------------------------------
if [[ "$MODE" == --native ]]; then
  echo "== abnormal end of quillon"
  FAKE="$WORK/fake"
  mkdir -p "$FAKE"
  cp "$QC_SOURCE" "$FAKE/quillonc"
  # fake_quillon BODY: a quillon that counts its starts in $FAKE/starts, then does BODY.
  fake_quillon() {
    printf '#!/bin/sh\necho x >>"%s/starts"\n%s\n' "$FAKE" "$1" >"$FAKE/quillon"
    chmod +x "$FAKE/quillon"
    rm -f "$FAKE/starts"
  }
  starts() { if [[ -f "$FAKE/starts" ]]; then wc -l <"$FAKE/starts" | tr -d ' '; else echo 0; fi; }
  fresh_tree
  printf 'a \n' >"$T/a.txt"
  fake_quillon 'kill -9 $$'
  run "$T" "$FAKE/quillonc" /W a.txt b.txt
  expect_eq "killed quillon: exit code" 1 "$RC"
  line="quillonc: quillon ended abnormally - signal 9 (Killed)"
  expect_eq "killed quillon: one message per target" "$line$NL$line$NL" "$ERR"
  expect_eq "killed quillon: every target still handed over" 2 "$(starts)"
  fake_quillon 'exit 3'
  run "$T" "$FAKE/quillonc" /W a.txt
  expect_eq "quillon exit 3" "1 quillonc: quillon ended abnormally - exit code 3$NL" "$RC $ERR"
  # Only the failed one counts: a later normal end does not make the run a success,
  # nor does an earlier failure stop the later targets.
  printf '#!/bin/sh\necho x >>"%s/starts"\n[ "$(wc -l <"%s/starts")" -eq 1 ] && exit 4\nexit 0\n' \
    "$FAKE" "$FAKE" >"$FAKE/quillon"
  rm -f "$FAKE/starts"
  run "$T" "$FAKE/quillonc" /W a.txt b.txt c.txt
  expect_eq "first of three fails" "1 quillonc: quillon ended abnormally - exit code 4$NL 3" \
    "$RC $ERR $(starts)"
  fake_quillon 'exit 0'
  run "$T" "$FAKE/quillonc" /W a.txt
  expect_eq "quillon exit 0" "0 " "$RC $ERR"
  if ((JAPANESE_CONSOLE)); then
    fake_quillon 'exit 3'
    QUILLON_LANG=ja run "$T" "$FAKE/quillonc" /W a.txt
    expect_eq "quillon exit 3 in Japanese" "1 quillonc: quillon が異常終了しました - 終了コード 3$NL" "$RC $ERR"
  fi
fi

# Both builds: a quillon that fails (quillonc in its place refuses "/CUIMODE" with exit
# code 1, after its own message).
echo "== failing quillon"
FAILING="$WORK/failing"
mkdir -p "$FAILING"
cp "$QC_SOURCE" "$FAILING/quillonc$EXE"
cp "$QC_SOURCE" "$FAILING/quillon$EXE"
fresh_tree
printf 'a \n' >"$T/a.txt"
run "$T" "$FAILING/quillonc" /W a.txt b.txt
expect_eq "failing quillon: exit code" 1 "$RC"
line="quillonc: quillon ended abnormally - exit code 1"
expect_eq "failing quillon: reported after each target" \
  "quillonc: Invalid option - /CUIMODE$NL$line${NL}quillonc: Invalid option - /CUIMODE$NL$line$NL" "$ERR"
expect_eq "failing quillon: file untouched" "61200a" "$(hexof "$T/a.txt")"
reset_stores

# --- a lock that cannot be taken ------------------------------------------------------------
if [[ "$MODE" == --native ]]; then
  echo "== lock not taken"
  # A folder in the lock file's place: the lock cannot be opened. Nothing may be written
  # and quillon may not run (a run without the lock could take another call's options).
  reset_stores
  fresh_tree
  printf 'a \n' >"$T/a.txt"
  mkdir -p "$XDG_CONFIG_HOME/quillon/registry.reg.lock"
  run "$T" "$BIN/quillonc" /W a.txt
  expect_eq "registry lock: exit code" 1 "$RC"
  expect_eq "registry lock: message" \
    "quillonc: cannot lock the settings $XDG_CONFIG_HOME/quillon/registry.reg.lock - Is a directory$NL" "$ERR"
  if registry_exists; then bad "registry lock: the store was written"; else ok; fi
  expect_eq "registry lock: file untouched" "61200a" "$(hexof "$T/a.txt")"
  rm -rf "$XDG_CONFIG_HOME"

  printf '\xff\xfe[\0M\0a\0i\0n\0]\0\r\0\n\0' >"$BIN/quillon.ini"
  before=$(hexof "$BIN/quillon.ini")
  rm -f "$BIN/quillon.ini.lock"  # the lock file of the calls above
  mkdir -p "$BIN/quillon.ini.lock"
  run "$T" "$BIN/quillonc_o" /W a.txt
  expect_eq "INI lock: exit code" 1 "$RC"
  expect_eq "INI lock: message" \
    "quillonc: cannot lock the settings $BIN/quillon.ini.lock - Is a directory$NL" "$ERR"
  expect_eq "INI lock: store untouched" "$before" "$(hexof "$BIN/quillon.ini")"
  expect_eq "INI lock: file untouched" "61200a" "$(hexof "$T/a.txt")"
  if ((JAPANESE_CONSOLE)); then
    QUILLON_LANG=ja run "$T" "$BIN/quillonc_o" /W a.txt
    expect_eq "INI lock in Japanese" \
      "1 quillonc: 設定のロック $BIN/quillon.ini.lock を取得できません - Is a directory$NL" "$RC $ERR"
  fi
  rmdir "$BIN/quillon.ini.lock"
  reset_stores
fi

# --- a store that is no file ---------------------------------------------------------------
if [[ "$MODE" == --native ]]; then
  echo "== FIFO as the store"
  # Nothing may wait on the FIFO: quillonc cannot write its settings, says so and runs
  # no quillon.
  reset_stores
  fresh_tree
  printf 'a \n' >"$T/a.txt"
  mkfifo "$BIN/quillon.ini"
  run "$T" "$BIN/quillonc_o" /W a.txt
  expect_eq "FIFO INI: no hang, exit 1" 1 "$RC"
  expect_eq "FIFO INI: message" "quillonc: The settings could not be written - $BIN/quillon.ini (FileBackup)$NL" "$ERR"
  expect_eq "FIFO INI: file untouched" "61200a" "$(hexof "$T/a.txt")"
  if [[ -p "$BIN/quillon.ini" ]]; then ok; else bad "FIFO INI: the FIFO was replaced"; fi
  rm -f "$BIN/quillon.ini"
  mkdir -p "$XDG_CONFIG_HOME/quillon"
  mkfifo "$XDG_CONFIG_HOME/quillon/registry.reg"
  run "$T" "$BIN/quillonc" /W a.txt
  expect_eq "FIFO hive: no hang, exit 1" 1 "$RC"
  expect_eq "FIFO hive: message" \
    "quillonc: The settings could not be written - HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion (FileBackup)$NL" "$ERR"
  expect_eq "FIFO hive: file untouched" "61200a" "$(hexof "$T/a.txt")"
  reset_stores

  reset_stores
fi

# --- two hand-overs at the same moment ------------------------------------------------------
echo "== two calls at once"
reset_stores
A="$WORK/tree-a"
B="$WORK/tree-b"
rm -rf "$A" "$B"
mkdir -p "$A" "$B"
for i in $(seq 1 60); do
  printf 'a\tb \n' >"$A/f$i.txt"
  printf 'a\tb \n' >"$B/f$i.txt"
done
start_bg() {  # start_bg DIR ARGS...: quillonc in the background
  local dir=$1
  shift
  if [[ "$MODE" == --wine ]]; then
    (cd "$dir" && exec timeout 120 "$WINE" "$BIN/quillonc.exe" "$@" >/dev/null 2>&1) &
  else
    (cd "$dir" && exec timeout 60 "$BIN/quillonc" "$@" >/dev/null 2>&1) &
  fi
}
start_bg "$A" /C:CRLF '*.txt'
pid_a=$!
start_bg "$B" /T:2 /W '*.txt'
pid_b=$!
wait "$pid_a"
wait "$pid_b"
wrong_a=0
wrong_b=0
for i in $(seq 1 60); do
  [[ $(hexof "$A/f$i.txt") == "610962200d0a" ]] || wrong_a=$((wrong_a + 1))
  [[ $(hexof "$B/f$i.txt") == "6120620a" ]] || wrong_b=$((wrong_b + 1))
done
expect_eq "tree A converted with its own options only" 0 "$wrong_a"
expect_eq "tree B converted with its own options only" 0 "$wrong_b"

# --- installed layout ---------------------------------------------------------------------
if [[ "$MODE" == --native ]]; then
  echo "== installed layout"
  BUILD=$(dirname "$QC_SOURCE")
  if [[ -f "$BUILD/cmake_install.cmake" ]]; then
    cmake --install "$BUILD" --prefix "$WORK/prefix" >/dev/null 2>&1
    expect_eq "installed programs" "quillon quillonc " "$(ls "$WORK/prefix/bin" | tr '\n' ' ')"
    reset_stores
    fresh_tree
    printf 'a \n' >"$T/a.txt"
    run "$T" "$WORK/prefix/bin/quillonc" /W a.txt
    expect_eq "installed quillonc runs the installed quillon" "610a" "$(hexof "$T/a.txt")"
  fi
fi

finish
