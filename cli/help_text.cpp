#include "cli/help_text.h"

#include <cstddef>

#include "quillon_version.h"

namespace {

// Option lines are indented with one ideographic space (U+3000), except the few that
// have always begun with two ASCII spaces.
constexpr char16_t kEnglishHelp[] =
    u"Tidewright for Command Line Edition\n"
    u"\n"
    u"Make the unification of line feed code in the text file. I can also be performed, such "
    u"as string conversion using and processing for the special code, regular expressions. In "
    u"order to use this program, quillon.exe is required in the same folder as the present "
    u"program.\n"
    u"\n"
    u"quillonc [options] <target...>\n"
    u"\n"
    u"*options:\n"
    u"\u3000/K -- Creates backup files.\n"
    u"\u3000/Y -- Searches in the subfolders of the specified folder.\n"
    u"\u3000/F:CharCode -- Specifies Character code without BOM. You can use sjis, utf16, "
    u"utf16be, utf8, utf7, euc, jis,ebcdic or Code-Page.\n"
    u"\u3000/M:n -- Inserts new-line code every n bytes.\n"
    u"\u3000/L:n -- Inserts new-line code every n characters.\n"
    u"\u3000/C:Newline -- Converts new-line code. You can use CR, LF or CRLF.\n"
    u"\u3000/Z -- Converts a full-pitch space to two half-pitch spaces.\n"
    u"\u3000/H -- Converts a full-pitch space to one half-pitch space.\n"
    u"\u3000/W -- Removes the white space at the end of the line.\n"
    u"\u3000/T:n -- Converts a TAB code to n half-pitch spaces.\n"
    u"\u3000/D -- Removes all control codes(0x01-0x1f excluded CR, LF, TAB and EOF).\n"
    u"\u3000/A -- Removes all control codes to half-pitch space.\n"
    u"\u3000/O:CharCode -- Specifies Character code for output files.\n"
    u"  /Q -- Do not change the timestamp.\n"
    u"\u3000/RB:bbbb /RA:aaaa -- String replacement\n"
    u"  /E -- /RB,/RA use regular expression.\n"
    u"\u3000/P -- /RB,/RA case insensitive.\n"
    u"\u3000/G -- /E An all-text are matched single-line.\n"
    u"\u3000/N -- /E A dot('.') does not match a newline code.\n"
    u"\n"
    u"*target...:\n"
    u"\u3000Specifies some target path. You can use the wildcards.\n";

constexpr char16_t kJapaneseHelp[] =
    u"タイドライトコマンドライン版\n"
    u"\n"
    u"テキストファイルの改行コードの統一を行います。特殊コードに対する処理や、正規表現を利用した"
    u"文字列変換なども行えます。本プログラムを利用するには、本プログラムと同一のフォルダ内に"
    u"quillon.exe(タイドライト[GUI版] ver.1.50以上)が必要です。\n"
    u"\n"
    u"quillonc [options] <target...>\n"
    u"\n"
    u"・optionsの指定：\n"
    u"　/K … ファイルのバックアップを行う\n"
    u"　/Y … サブフォルダも検索する\n"
    u"　/F:文字コード … BOMがないファイルの文字コードを指定。文字コードには sjis, utf16, "
    u"utf16be, utf8, utf7, euc, jis, ebcdic,任意のコードページ のいずれかを指定。\n"
    u"　/M:n … nバイト毎に改行コードを挟む\n"
    u"　/L:n … n文字毎に改行コードを挟む\n"
    u"　/C:改行コード … 改行コードの統一を行う。CR, LF, CRLF のいずれかを指定。\n"
    u"　/Z … 全角スペースを半角スペース2つに変換\n"
    u"　/H … 全角スペースを半角スペース1つに変換\n"
    u"　/W … 行末のホワイトスペースを除去\n"
    u"　/T:n … タブをnカラムのスペースに変換\n"
    u"　/D … 無効なコントロールコード(0x01～0x1Fのうち改行・TAB・EOF以外)を取り除く\n"
    u"　/A … 無効なコントロールコード(同上)を半角スペースに変換(/Dと同時指定不可)\n"
    u"　/O:文字コード … 書込時のファイルの文字コードを指定。文字コードは /F と同じ\n"
    u"　/Q … タイムスタンプを維持する\n"
    u"　/RB:bbbb /RA:aaaa … 文字列置換\n"
    u"  /E … /RB,/RAの文字列変換で正規表現(boost::regex)を用いる\n"
    u"　/P … /RB,/RAを使う場合に、英大小文字の違いを無視する\n"
    u"　/G … /Eを使う場合に、全体で一行と見なす\n"
    u"　/N … /Eを使う場合に、'.'(ドット)を改行にマッチさせない\n"
    u"\n"
    u"・target...の指定：\n"
    u"　置換対象のテキストファイルの名前を指定できます。ワイルドカード指定・複数指定が可能です。\n";

// The version line, widened from the ASCII version number at compile time.
constexpr size_t kProgramNameLength = 9;  // "quillonc "
struct VersionLine {
  char16_t text[kProgramNameLength + sizeof(kQuillonVersion) + 1] = {};
  constexpr VersionLine() {
    constexpr char kName[] = "quillonc ";
    size_t n = 0;
    for (size_t i = 0; i < kProgramNameLength; ++i) text[n++] = static_cast<char16_t>(kName[i]);
    for (size_t i = 0; kQuillonVersion[i] != '\0'; ++i) {
      text[n++] = static_cast<char16_t>(kQuillonVersion[i]);
    }
    text[n] = u'\n';
  }
};
constexpr VersionLine kVersionLine;

}  // namespace

std::u16string_view HelpText(bool japanese) {
  return japanese ? std::u16string_view(kJapaneseHelp) : std::u16string_view(kEnglishHelp);
}

std::u16string_view VersionText() { return kVersionLine.text; }
