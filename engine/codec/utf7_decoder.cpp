#include "engine/codec/utf7_decoder.h"

#include "engine/large_buffer.h"

namespace {

// The value of a base64 character, or -1.
int Base64Value(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return byte - 'A';
  if (byte >= 'a' && byte <= 'z') return byte - 'a' + 26;
  if (byte >= '0' && byte <= '9') return byte - '0' + 52;
  if (byte == '+') return 62;
  if (byte == '/') return 63;
  return -1;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Decodes the base64 run that starts at bytes[*i] and appends its units; *i is left on
// the byte that ended the run (or the end). False when the run breaks the rules.
bool DecodeRun(std::string_view bytes, size_t* i, WideText* out) {
  const size_t start = *i;
  uint32_t bits = 0;  // the bits read and not yet part of a unit, at most 21
  int bitCount = 0;
  char16_t high = 0;  // the first half of a pair, waiting for the second
  for (; *i < bytes.size(); ++*i) {
    const int value = Base64Value(static_cast<unsigned char>(bytes[*i]));
    if (value < 0) break;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    bitCount += 6;
    if (bitCount < 16) continue;
    bitCount -= 16;
    const char16_t unit = static_cast<char16_t>(bits >> bitCount);
    bits &= (1u << bitCount) - 1;
    if (high != 0) {
      if (!IsLowSurrogate(unit)) return false;
      out->push_back(high);
      out->push_back(unit);
      high = 0;
    } else if (IsHighSurrogate(unit)) {
      high = unit;
    } else if (IsLowSurrogate(unit)) {
      return false;
    } else {
      out->push_back(unit);
    }
  }
  return *i > start && bitCount < 6 && bits == 0 && high == 0;
}

}  // namespace

bool DecodeUtf7(std::string_view bytes, WideText* text) {
  WideText out;
  ReserveLarge(out, bytes.size());  // never more units than bytes
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x80) return false;
    if (byte != '+') {
      out.push_back(byte);
      ++i;
      continue;
    }
    ++i;
    if (i < bytes.size() && bytes[i] == '-') {
      out.push_back(u'+');
      ++i;
      continue;
    }
    if (!DecodeRun(bytes, &i, &out)) return false;
    if (i < bytes.size() && bytes[i] == '-') ++i;
  }
  *text = std::move(out);
  return true;
}
