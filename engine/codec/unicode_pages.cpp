#include "engine/codec/unicode_pages.h"

#include "engine/codec/utf16_codec.h"
#include "engine/codec/utf8_codec.h"

bool IsUnicodePage(uint32_t codePage) {
  return codePage == 1200 || codePage == 1201 || codePage == 65001;
}

bool DecodeUnicodePage(uint32_t codePage, std::string_view bytes, WideText* text) {
  if (codePage == 65001) return DecodeUtf8(bytes, text);
  return DecodeUtf16(bytes, codePage == 1200 ? ByteOrder::kLittleEndian : ByteOrder::kBigEndian,
                     text);
}

void EncodeUnicodePage(uint32_t codePage, std::u16string_view text, std::string* bytes,
                       bool* substituted) {
  if (codePage == 65001) {
    *substituted = EncodeUtf8(text, bytes);
    return;
  }
  EncodeUtf16(text, codePage == 1200 ? ByteOrder::kLittleEndian : ByteOrder::kBigEndian, bytes);
  *substituted = false;
}

bool EncodeUnicodePageInPlace(uint32_t codePage, WideText* text, size_t* byteCount) {
  if (codePage != 1200 && codePage != 1201) return false;
  EncodeUtf16InPlace(text, codePage == 1200 ? ByteOrder::kLittleEndian : ByteOrder::kBigEndian);
  *byteCount = text->size() * 2;
  return true;
}

DecodeAnswer DecodeUnicodePageInPlace(uint32_t codePage, WideText* text, size_t offset,
                                      size_t count) {
  if (codePage != 1200 && codePage != 1201) return DecodeAnswer::kNotSupported;
  const ByteOrder order = codePage == 1200 ? ByteOrder::kLittleEndian : ByteOrder::kBigEndian;
  return DecodeUtf16InPlace(text, offset, count, order) ? DecodeAnswer::kDecoded
                                                        : DecodeAnswer::kInvalid;
}
