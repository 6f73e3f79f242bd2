#include "engine/codec/unicode_pages.h"

#include "core/code_pages.h"
#include "engine/codec/utf16_codec.h"
#include "engine/codec/utf8_codec.h"

namespace {

// The byte order of a UTF-16 code page.
ByteOrder OrderOf(uint32_t codePage) {
  return codePage == kCodePageUtf16Le ? ByteOrder::kLittleEndian : ByteOrder::kBigEndian;
}

}  // namespace

bool IsUnicodePage(uint32_t codePage) {
  return IsUtf16CodePage(codePage) || codePage == kCodePageUtf8;
}

bool DecodeUnicodePage(uint32_t codePage, std::string_view bytes, WideText* text) {
  if (codePage == kCodePageUtf8) return DecodeUtf8(bytes, text);
  return DecodeUtf16(bytes, OrderOf(codePage), text);
}

void EncodeUnicodePage(uint32_t codePage, std::u16string_view text, std::string* bytes,
                       bool* substituted) {
  if (codePage == kCodePageUtf8) {
    *substituted = EncodeUtf8(text, bytes);
    return;
  }
  EncodeUtf16(text, OrderOf(codePage), bytes);
  *substituted = false;
}

bool EncodeUnicodePageInPlace(uint32_t codePage, WideText* text, size_t* byteCount) {
  if (!IsUtf16CodePage(codePage)) return false;
  EncodeUtf16InPlace(text, OrderOf(codePage));
  *byteCount = text->size() * 2;
  return true;
}

DecodeAnswer DecodeUnicodePageInPlace(uint32_t codePage, WideText* text, size_t offset,
                                      size_t count) {
  if (!IsUtf16CodePage(codePage)) return DecodeAnswer::kNotSupported;
  const ByteOrder order = OrderOf(codePage);
  return DecodeUtf16InPlace(text, offset, count, order) ? DecodeAnswer::kDecoded
                                                        : DecodeAnswer::kInvalid;
}
