#include "cli/cli_messages.h"

const char16_t* ParseErrorText(CliError error, bool japanese) {
  switch (error) {
    case CliError::kNone:
      return u"";
    case CliError::kNoTarget:
      return japanese ? u"quillonc: 変換対象のファイルを指定してください。\n"
                      : u"quillonc: Please specify some target file names.\n";
    case CliError::kNoConversion:
      return japanese ? u"quillonc: 変換オプションが指定されていません。\n"
                      : u"quillonc: Please specify some options for converting.\n";
    case CliError::kInvalidOption:
      return japanese ? u"quillonc: 不正なオプションです - %s\n"
                      : u"quillonc: Invalid option - %s\n";
    case CliError::kInvalidEncoding:
      return japanese ? u"quillonc: 文字コードの指定が不正です - %s\n"
                      : u"quillonc: Invalid Character Code - %s\n";
    case CliError::kInvalidNewline:
      return japanese ? u"quillonc: 改行コードには CR, LF, CRLFのいずれかを指定します - %s\n"
                      : u"quillonc: Newline Code are CR, LF or CRLF. - %s\n";
    case CliError::kInvalidTabCount:
      return japanese ? u"quillonc: タブのスペース変換数には1～99を指定して下さい - %s\n"
                      : u"quillonc: Invalid TAB count(1-99). - %s\n";
  }
  return u"";
}

const char16_t* InvalidFileNameText(bool japanese) {
  // The English text has never had a blank after the colon.
  return japanese ? u"quillonc: 扱えないファイル名です - %s\n" : u"quillonc:Invalid file name - %s\n";
}

const char16_t* LaunchFailureText(bool japanese) {
  return japanese ? u"quillonc: 実行できません(GetLastError()=%08x) - %s\n"
                  : u"quillonc: Unexpected error(GetLastError()=%08x) - %s\n";
}

const char16_t* SettingsNotWrittenText(bool japanese) {
  return japanese ? u"quillonc: 設定を書き込めませんでした - %s\n"
                  : u"quillonc: The settings could not be written - %s\n";
}

const char16_t* AbnormalEndText(bool japanese) {
  return japanese ? u"quillonc: quillon が異常終了しました - %s\n"
                  : u"quillonc: quillon ended abnormally - %s\n";
}

const char16_t* LockFailureText(bool japanese) {
  return japanese ? u"quillonc: 設定のロック %s を取得できません - %s\n"
                  : u"quillonc: cannot lock the settings %s - %s\n";
}
