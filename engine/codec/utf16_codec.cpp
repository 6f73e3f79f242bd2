#include "engine/codec/utf16_codec.h"

#include <bit>
#include <cstring>

namespace {

constexpr ByteOrder kHostOrder =
    std::endian::native == std::endian::little ? ByteOrder::kLittleEndian : ByteOrder::kBigEndian;

}  // namespace

bool DecodeUtf16(std::string_view bytes, ByteOrder order, WideText* text) {
  if (bytes.size() % 2 != 0) return false;
  const size_t units = bytes.size() / 2;
  text->resize(units);
  char16_t* out = text->data();
  if (order == kHostOrder) {
    std::memcpy(out, bytes.data(), bytes.size());
    return true;
  }
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const int high = order == ByteOrder::kBigEndian ? 0 : 1;
  for (size_t i = 0; i < units; ++i, in += 2) {
    out[i] = static_cast<char16_t>((in[high] << 8) | in[1 - high]);
  }
  return true;
}

void EncodeUtf16(std::u16string_view text, ByteOrder order, std::string* bytes) {
  bytes->resize(text.size() * 2);
  char* out = bytes->data();
  if (order == kHostOrder) {
    std::memcpy(out, text.data(), bytes->size());
    return;
  }
  const int high = order == ByteOrder::kBigEndian ? 0 : 1;
  for (char16_t unit : text) {
    out[high] = static_cast<char>(unit >> 8);
    out[1 - high] = static_cast<char>(unit & 0xFF);
    out += 2;
  }
}

void EncodeUtf16InPlace(WideText* text, ByteOrder order) {
  if (order == kHostOrder) return;
  for (char16_t& unit : *text) unit = static_cast<char16_t>(unit << 8 | unit >> 8);
}

bool DecodeUtf16InPlace(WideText* text, size_t offset, size_t count, ByteOrder order) {
  if (count % 2 != 0) return false;
  char* const bytes = reinterpret_cast<char*>(text->data());
  std::memmove(bytes, bytes + offset, count);
  text->resize(count / 2);
  if (order != kHostOrder) {
    for (char16_t& unit : *text) unit = static_cast<char16_t>(unit << 8 | unit >> 8);
  }
  return true;
}
