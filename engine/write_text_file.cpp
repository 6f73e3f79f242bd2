#include "engine/write_text_file.h"

#include <string>
#include <string_view>

#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/byte_order_mark.h"
#include "engine/large_buffer.h"
#include "platform/system_error.h"

namespace {

// The detail shown when the converter cannot be created, by its failure code.
std::optional<WideText> ConverterFailureDetail(uint32_t failure) {
  switch (failure) {
    case 0x80004002u:  // E_NOINTERFACE
      return WideText(Text(u"指定されたクラスでは要求されたインターフェースが実装されていません。",
                           u"E_NOINTERFACE."));
    case 0x80040154u:  // REGDB_E_CLASSNOTREG
      return WideText(Text(
          u"指定されたクラスが登録データベースに登録されていないか、dwClsContextパラメータで指定された"
          u"サーバータイプが登録されていないか、レジストリのサーバータイプ値が不正です。",
          u"REGDB_E_CLASSNOTREG."));
    case 0x80040110u:  // CLASS_E_NOAGGREGATION
      return WideText(Text(u"指定されたクラスはアグリゲートオブジェクトの一部として作成できません。",
                           u"CLASS_E_NOAGGREGATION."));
    default:
      return std::nullopt;
  }
}

// What a replacement that failed has to say, by its result.
bool TellReplaceResult(ReplaceResult result, uint32_t error, const NativePath& where,
                       std::optional<WideText>* title, std::optional<WideText>* detail) {
  switch (result) {
    case ReplaceResult::kOk:
      return true;
    case ReplaceResult::kCannotCreate:
      *title = Text(u"ファイルを書き込みモードで開けません", u"Cannot open a file as write mode");
      // With a folder named, the file may be written but no work file can be made beside it.
      *detail = SystemErrorText(japaneseUi, error);
      if (!where.empty()) {
        *detail = FormatMessageText(Text(u"フォルダ %s に一時ファイルを作成できません - %s",
                                         u"Cannot create a temporary file in %s - %s"),
                                    {PathForDisplay(where), **detail});
      }
      return false;
    case ReplaceResult::kKeepCopyExists:
      *title = Text(u"ファイルを書き込みモードで開けません", u"Cannot open a file as write mode");
      *detail = FormatMessageText(
          Text(u"書き換えの途中で残った控え %s があります。ファイルと見比べてから消してください",
               u"%s is left from an unfinished rewrite; compare it with the file, then remove it"),
          {PathForDisplay(where)});
      return false;
    case ReplaceResult::kWriteFailed:
      *title = Text(u"ファイル書き込み中エラー", u"WriteFile error");
      *detail = SystemErrorText(japaneseUi, error);
      if (!where.empty()) {
        *detail = FormatMessageText(
            Text(u"%s - 元の内容は %s にあります", u"%s - the old content is in %s"),
            {**detail, PathForDisplay(where)});
      }
      return false;
  }
  return false;
}

// A text written with "?" in place of what the code page cannot hold is still written, and
// the user is told.
void SubstitutionReport(bool substituted, std::optional<WideText>* title,
                        std::optional<WideText>* detail) {
  if (!substituted) return;
  *title = Text(u"強制変換しました", u"Force Conversion");
  *detail = Text(u"変換できない文字が含まれており、'?'に置換しました。",
                 u"Unconvertible charactors are contained.");
}

}  // namespace

bool WriteTextFile(EngineContext& context, const NativePath& path, WideText text,
                   uint32_t codePage, uint32_t bomFlag, std::optional<WideText>* title,
                   std::optional<WideText>* detail) {
  std::string bytes;
  std::string_view body;
  bool substituted = false;
  {
    uint32_t failure = 0;
    std::unique_ptr<Codec> codec = context.createCodec(&failure);
    if (!codec) {
      *title = Text(u"CoCreateInstance失敗", u"CoCreateInstance.");
      *detail = ConverterFailureDetail(failure);
      return false;
    }
    // Where the code page allows, the bytes take the text's place: a large file then
    // needs no second buffer of its size.
    size_t byteCount = 0;
    EncodeAnswer answer = codec->EncodeInPlace(codePage, &text, &byteCount, &substituted);
    if (answer == EncodeAnswer::kConverted) {
      body = std::string_view(reinterpret_cast<const char*>(text.data()), byteCount);
    } else {
      if (answer == EncodeAnswer::kNotSupported) {
        // A second buffer is coming: what the text does not use of its own (the reader
        // makes it larger than the text) goes back to the system first.
        ReleaseUnusedRoom(text);
        answer = codec->Encode(codePage, text, &bytes, &substituted);
      }
      switch (answer) {
        case EncodeAnswer::kConverted:
          break;
        case EncodeAnswer::kFailed:
          *title = Text(u"文字列変換中エラー", u"Conversion error");
          *detail = Text(u"ConvertStringFromUnicodeEx失敗", u"ConvertStringFromUnicodeEx error.");
          return false;
        case EncodeAnswer::kNotSupported: {
          uint32_t error = 0;
          bytes.clear();
          substituted = false;
          if (!codec->EncodeFallback(codePage, text, &bytes, &substituted, &error)) {
            *title = Text(u"文字列変換中エラー", u"WideCharToMultiByte");
            *detail = SystemErrorText(japaneseUi, error);
            return false;
          }
          break;
        }
      }
      // The text is no longer needed; give its memory back before the write.
      WideText().swap(text);
      body = bytes;
    }
  }

  SubstitutionReport(substituted, title, detail);

  std::string_view mark = bomFlag == 1 ? ByteOrderMarkFor(codePage) : std::string_view();
  uint32_t error = 0;
  NativePath where;
  const ReplaceResult result = context.files->ReplaceFileContents(path, mark, body, &error, &where);
  return TellReplaceResult(result, error, where, title, detail);
}

bool PutWrittenText(EngineContext& context, const NativePath& path, ContentReplacement* output,
                    std::string_view bytes, bool substituted, std::optional<WideText>* title,
                    std::optional<WideText>* detail) {
  SubstitutionReport(substituted, title, detail);
  uint32_t error = 0;
  NativePath where;
  const ReplaceResult result =
      output ? output->Commit(&error, &where)
             : context.files->ReplaceFileContents(path, std::string_view(), bytes, &error, &where);
  return TellReplaceResult(result, error, where, title, detail);
  return false;
}
