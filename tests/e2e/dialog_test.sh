#!/usr/bin/env bash
# The main dialog's real windows under Wine, in English and in Japanese: widening it moves
# and stretches exactly the anchored controls, its size limits hold, every tooltip of the
# language is registered with its text, and the English dialog never shows the banner.
#
#   dialog_test.sh path/to/quillon.exe path/to/quillon_probe.exe
#
# Runs inside its own X server (xvfb-run) with a fresh Wine prefix of its own, unless
# $WINEPREFIX is set. Prints "N passed, M failed" and exits non-zero when anything failed.
set -u

if [[ $# -ne 2 || ! -f $1 || ! -f $2 ]]; then
  echo "usage: $0 path/to/quillon.exe path/to/quillon_probe.exe" >&2
  exit 2
fi
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/lib.sh"
source "$here/wine_lib.sh"
QUILLON_E2E_SCREEN=1280x1024 wine_under_xvfb "$@"
wine_setup dialog-test

bin="$work/bin"
mkdir -p "$bin"
# The INI-store name: the settings stay in this folder.
cp "$1" "$bin/quillon_o.exe"
probe_exe=$(readlink -f "$2")
dialog_pid=
cleanup_more() {
  if [[ -n $dialog_pid ]]; then kill "$dialog_pid" 2>/dev/null; wait "$dialog_pid" 2>/dev/null; fi
}

# The tooltip tables as the dialog must register them (control id, then text).
english_tips() {
  cat <<'TIPS'
1000 Specifies the target path. You can use the wildcards.
1001 Selects from a list of files.
1023 Creates backup files named *.bak. If a backup file with the same name already exists, It's overwritten.
1016 Searches in the subfolders of the specified folder, the file with the specified name.
1025 Specifies the character code of the file without BOM. If you choose Automatic Detection, please get the backup.
1031 Specifies the character code of output files.
1027 Inserts new-line code every n bytes.
1002 Converts new-line code.
1005 Converts a full-pitch space to two half-pitch spaces.
1032 Converts a full-pitch space to one half pitch space.
1006 Removes the white space at the end of the line.
1007 Converts a TAB code to some half-pitch spaces.
1008 Specifies size of TAB.
1010 Removes all control codes(0x00-0x1f excluded CR, LF, TAB and EOF).
1011 Converts control codes to half-pitch spaces.
1026 Inserts new-line code every n characters.
1012 Replaces strings.
1033 Uses a Regular expression.
1013 Specifies the string that will be searched for in target files.
1014 Specifies the string after replacement.
1019 Ignores the difference between uppercase and lowercase letters.
1021 Treats text as single line and ignore any newline-codes when matching.
1022 Newline-codes are not matched by '.'(dot).
1 Starts Replacement.
2 Closes this application.
9 Displays Japanese Help.
1015 About this application.
TIPS
}
japanese_tips() {
  cat <<'TIPS'
1000 変換を行うファイルのフルパスを指定します。ワイルドカードも指定できます
1001 ファイルを一覧から選択できます
1023 変換時に (元のファイル名).bak の名前でバックアップを作成します。すでに存在する場合は上書きされます
1016 指定された名前のファイルを、指定されたフォルダのサブフォルダでもサーチします
1025 BOMの無いファイルに対する文字コードを指定します。自動判別は完璧ではないので、バックアップを取得してください
1031 ファイル書き込み時の文字コードを指定します
1027 ファイル読み込み時に、指定したバイト数ごとに改行コードとして指定したコードを挿入します
1028 右の入力欄に指定したバイト数毎に、改行コードとして指定したコードが挿入されます。0だと無視されます
1002 改行コードの統一（変換）を行います。右の選択肢から選んでください
1024 どの改行コードで統一するかを選択します
1005 全角スペースを見つけると、半角スペース2つに分解します
1032 全角スペースを見つけると、半角スペース1つに変換します
1006 行末に無駄に配置された半角スペースやタブ記号を除去します
1007 タブ記号を、適切な数の半角スペースに置換します
1008 何カラム毎のタブで計算して、半角スペースに置換するかを指定します
1010 コントロールコードを除去し、通常のテキストファイルとして読めるような文字だけ残します
1011 コントロールコードを除去するのではなく、半角スペースに置換します
1026 右の入力欄に指定した文字数毎に、改行コードとして指定したコードを挿入します
1029 ここで指定した文字数毎に、改行コードとして指定したコードが挿入されます。0だと無視されます
1012 文字列置換を行います
1033 文字列置換で、置換前文字列に正規表現を使います。正規表現に関する簡単な説明についてはヘルプを参照してください
1013 置換前の文字列を指定してください
1014 置換後の文字列を指定してください
1019 アルファベットの大文字と小文字を区別せず、置換文字列を探します
1021 正規表現を使う場合に、テキストファイル全体を1行の文字列と見なして、置換文字列を探します
1022 正規表現を使う場合に、ドット記号(.)(あらゆる1文字を表す)を改行にマッチさせません
1 変換処理を開始します
2 このダイアログを閉じます
9 ヘルプファイルを開きます
1015 バージョン情報を表示します
TIPS
}

# The "controls" lines without visibility and enabled state: "id x y width height".
geometry() { awk '{print $1, $2, $3, $4, $5}' <<<"$1"; }

# What widening by 200 pixels must do to the controls: the stretched ones grow by 200,
# Browse moves right by 200, every other line stays as it was.
widened() {
  awk '$1 == 1000 || $1 == 1020 || $1 == 1013 || $1 == 1014 { $4 += 200 }
       $1 == 1001 { $2 += 200 }
       { print }' <<<"$1"
}

dialog_checks() {  # language, caption, tooltip table function
  local language=$1 caption=$2 table=$3
  QUILLON_LANG=$language timeout --kill-after=5 300 "$WINE" "$bin/quillon_o.exe" \
    >/dev/null 2>&1 &
  dialog_pid=$!
  if [[ $(probe wait "$caption" 60000) != found ]]; then
    bad "$language: the dialog did not open"
    kill "$dialog_pid" 2>/dev/null
    wait "$dialog_pid" 2>/dev/null
    dialog_pid=
    return
  fi
  ok

  # --- Tooltips ---
  local tips
  tips=$(probe tooltips "$caption")
  local head
  head=$(head -1 <<<"$tips")
  check "$language: one tooltip window, showing tips while inactive" \
    test "$(cut -d' ' -f1,2 <<<"$head")" = "window 1"
  check "$language: long tips wrap" test "$(cut -d' ' -f3 <<<"$head")" -gt 100
  expect_eq "$language: tools registered by window, subclassing" "" \
    "$(tail -n +2 <<<"$tips" | awk '$2 != "hwnd+subclass"')"
  expect_eq "$language: every tooltip of the table with its text" "$("$table")" \
    "$(tail -n +2 <<<"$tips" | cut -d' ' -f1,3-)"

  # --- Banner ---
  local before
  before=$(probe controls "$caption")
  if [[ $language == en ]]; then
    expect_eq "en: no tooltip for 1028, 1024, 1029" "" \
      "$(tail -n +2 <<<"$tips" | awk '$1 == 1028 || $1 == 1024 || $1 == 1029')"
    expect_eq "en: banner never shown" "" "$(awk '$1 == 1030 && $6 == 1' <<<"$before")"
  else
    check "ja: the banner control exists" grep -q '^1030 ' <<<"$before"
  fi

  # --- Resizing ---
  local size width height
  size=$(probe size "$caption")
  read -r width height _ <<<"$size"
  local after
  expect_eq "$language: wider by 200" "$((width + 200)) $height" \
    "$(probe resize "$caption" $((width + 200)) "$height")"
  after=$(probe controls "$caption")
  expect_eq "$language: anchored controls moved or stretched by 200, nothing else" \
    "$(widened "$(geometry "$before")")" "$(geometry "$after")"

  expect_eq "$language: not narrower than at creation" "$width $height" \
    "$(probe resize "$caption" $((width - 100)) "$height")"
  expect_eq "$language: back at the creation size the controls are as they were" \
    "$(geometry "$before")" "$(geometry "$(probe controls "$caption")")"
  expect_eq "$language: not taller" "$width $height" \
    "$(probe resize "$caption" "$width" $((height + 80)))"
  expect_eq "$language: not lower" "$width $height" \
    "$(probe resize "$caption" "$width" $((height - 80)))"
  expect_eq "$language: wide and tall at once: only wider" "$((width + 50)) $height" \
    "$(probe resize "$caption" $((width + 50)) $((height + 50)))"

  # Closed by its Close button; the program ends normally.
  probe command "$caption" 2 >/dev/null
  if wait_for 30 bash -c "! kill -0 $dialog_pid 2>/dev/null"; then
    wait "$dialog_pid"
    check "$language: exit code 0 after closing" test $? = 0
  else
    bad "$language: the dialog did not close"
    kill "$dialog_pid" 2>/dev/null
    wait "$dialog_pid" 2>/dev/null
  fi
  dialog_pid=
}

dialog_checks en Tidewright english_tips
dialog_checks ja タイドライト japanese_tips

finish "dialog test"
