#include "engine/codec/utf8_codec.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "engine/find_unit.h"

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ull;

// Length of the run of ASCII bytes starting at in, looking at most up to end.
size_t AsciiRun(const unsigned char* in, const unsigned char* end) {
  const unsigned char* p = in;
  while (end - p >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    if (word & kHighBits) break;
    p += 8;
  }
  while (p < end && *p < 0x80) ++p;
  return static_cast<size_t>(p - in);
}

// Length of the well-formed sequence starting with lead byte in[0] (>= 0x80), or 0.
size_t SequenceLength(const unsigned char* in, const unsigned char* end) {
  const size_t left = static_cast<size_t>(end - in);
  const unsigned char lead = in[0];
  auto trail = [&](size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return i < left && in[i] >= low && in[i] <= high;
  };
  if (lead >= 0xC2 && lead <= 0xDF) return trail(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    // E0 needs A0.. to rule out overlongs, ED needs ..9F to rule out surrogates.
    const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
    return trail(1, low, high) && trail(2) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    // F0 needs 90.. (overlong), F4 needs ..8F (above U+10FFFF).
    const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    return trail(1, low, high) && trail(2) && trail(3) ? 4 : 0;
  }
  return 0;
}

enum class SixteenKind { kAscii, kNoSurrogate, kOther };

// Whether the sixteen units at in are all ASCII, or at least no surrogate halves (which
// need the pairing rules; everything else converts on its own). Sixteen, not eight: where
// scripts mix word by word, eight ASCII units in a row come and go at random and the
// branch on them costs more than it saves; sixteen are rare there and the rule in ASCII
// text.
SixteenKind KindOfSixteen(const char16_t* in) {
  using namespace find_unit;
  const Units8 low = Load(in);
  const Units8 high = Load(in + 8);
  const Words2 beyond = reinterpret_cast<Words2>((low | high) & uint16_t{0xFF80});
  if ((beyond[0] | beyond[1]) == 0) return SixteenKind::kAscii;
  const Units8 surrogateBits = Units8{} + uint16_t{0xF800};
  const Units8 surrogate = Units8{} + uint16_t{0xD800};
  const Words2 halves = reinterpret_cast<Words2>(((low & surrogateBits) == surrogate) |
                                                 ((high & surrogateBits) == surrogate));
  return (halves[0] | halves[1]) == 0 ? SixteenKind::kNoSurrogate : SixteenKind::kOther;
}

// Sixteen ASCII units as their bytes.
void PutAsciiSixteen(unsigned char* out, const char16_t* in) {
  using namespace find_unit;
  Units16 units;
  std::memcpy(&units, in, sizeof units);
  const Bytes16 bytes = __builtin_convertvector(units, Bytes16);
  std::memcpy(out, &bytes, sizeof bytes);
}

// The UTF-8 bytes of the units from in up to end, sixteen at a time: each unit takes one
// byte, one more from U+0080 and another from U+0800. Stops at sixteen units that hold a
// surrogate half (whose bytes depend on its neighbour), leaving in there.
size_t SixteensLength(const char16_t*& in, const char16_t* end) {
  using namespace find_unit;
  const Units8 surrogateBits = Units8{} + uint16_t{0xF800};
  const Units8 surrogate = Units8{} + uint16_t{0xD800};
  const Units8 twoBytesFrom = Units8{} + uint16_t{0xFF80};
  const Units8 zero{};
  size_t size = 0;
  while (end - in >= 16) {
    // Each lane counts up to four a round (a comparison gives -1): far from overflowing
    // in a round of 4,096.
    Units8 extra{};
    const char16_t* const stop =
        in + std::min<size_t>(static_cast<size_t>(end - in) / 16, 4096) * 16;
    const char16_t* p = in;
    for (; p < stop; p += 16) {
      const Units8 low = Load(p);
      const Units8 high = Load(p + 8);
      const Words2 halves = reinterpret_cast<Words2>(((low & surrogateBits) == surrogate) |
                                                     ((high & surrogateBits) == surrogate));
      if ((halves[0] | halves[1]) != 0) break;
      extra -= reinterpret_cast<Units8>((low & twoBytesFrom) != zero);
      extra -= reinterpret_cast<Units8>((high & twoBytesFrom) != zero);
      extra -= reinterpret_cast<Units8>((low & surrogateBits) != zero);
      extra -= reinterpret_cast<Units8>((high & surrogateBits) != zero);
    }
    size += static_cast<size_t>(p - in);
    for (size_t k = 0; k < 8; ++k) size += extra[k];
    const bool halted = p < stop;
    in = p;
    if (halted) break;
  }
  return size;
}

// The UTF-8 length of a unit that is no surrogate half.
uint32_t Utf8Length(uint32_t unit) { return 1 + (unit >= 0x80) + (unit >= 0x800); }

// Writes a unit that is no surrogate half as its 1 to 3 bytes without a branch, in one
// store of four bytes: the unused ones are overwritten by what follows. out must have
// room for four bytes.
unsigned char* PutBmp(unsigned char* out, uint32_t unit) {
  const uint32_t length = Utf8Length(unit);
  const uint32_t low = 0x80 | (unit & 0x3F);
  const uint32_t two = (0xC0 | (unit >> 6)) | low << 8;
  const uint32_t three = (0xE0 | (unit >> 12)) | (0x80 | ((unit >> 6) & 0x3F)) << 8 | low << 16;
  const uint32_t word = length == 1 ? unit : length == 2 ? two : three;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &word, 4);
  } else {
    out[0] = static_cast<unsigned char>(word);
    out[1] = static_cast<unsigned char>(word >> 8);
    out[2] = static_cast<unsigned char>(word >> 16);
  }
  return out + length;
}
constexpr size_t kUnitsForWordTable = size_t{1} << 16;
// Per unit that is no surrogate half: its UTF-8 bytes in the low three bytes, in order
// from the lowest, and their count in the top byte. A look-up per unit beats working the
// bytes out when scripts mix word by word, where every way of doing it by arithmetic
// either branches at random or does the work of all three lengths.
struct Utf8Words {
  uint32_t word[0x10000];
  Utf8Words() {
    for (uint32_t unit = 0; unit < 0x10000; ++unit) {
      const uint32_t low = 0x80 | (unit & 0x3F);
      const uint32_t length = Utf8Length(unit);
      const uint32_t bytes = length == 1   ? unit
                             : length == 2 ? (0xC0 | (unit >> 6)) | low << 8
                                           : (0xE0 | (unit >> 12)) |
                                                 (0x80 | ((unit >> 6) & 0x3F)) << 8 | low << 16;
      word[unit] = bytes | length << 24;
    }
  }
};
const uint32_t* Utf8WordTable() {
  static const Utf8Words* const table = new Utf8Words;
  return table->word;
}
// Eight units that are no surrogate halves, each in one store of four bytes.
unsigned char* PutBmpEight(unsigned char* out, const char16_t* in, const uint32_t* words) {
  if constexpr (std::endian::native == std::endian::little) {
    for (size_t k = 0; k < 8; ++k) {
      const uint32_t word = words[in[k]];
      std::memcpy(out, &word, 4);
      out += word >> 24;
    }
    return out;
  } else {
    for (size_t k = 0; k < 8; ++k) out = PutBmp(out, in[k]);
    return out;
  }
}
bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool DecodeUtf8(std::string_view bytes, WideText* text) {
  const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = begin + bytes.size();

  // First pass: validate and count units, so the text is allocated once at its size.
  size_t units = 0;
  for (const unsigned char* in = begin; in < end;) {
    const size_t ascii = AsciiRun(in, end);
    in += ascii;
    units += ascii;
    if (in == end) break;
    const size_t length = SequenceLength(in, end);
    if (length == 0) return false;
    in += length;
    units += length == 4 ? 2 : 1;
  }

  text->resize(units);
  char16_t* out = text->data();
  for (const unsigned char* in = begin; in < end;) {
    const size_t ascii = AsciiRun(in, end);
    for (size_t i = 0; i < ascii; ++i) *out++ = in[i];
    in += ascii;
    if (in == end) break;
    const unsigned char lead = *in;
    if (lead < 0xE0) {
      *out++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (in[1] & 0x3F));
      in += 2;
    } else if (lead < 0xF0) {
      *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((in[1] & 0x3F) << 6) |
                                     (in[2] & 0x3F));
      in += 3;
    } else {
      const uint32_t c = ((lead & 0x07u) << 18) | ((in[1] & 0x3Fu) << 12) |
                         ((in[2] & 0x3Fu) << 6) | (in[3] & 0x3Fu);
      *out++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      in += 4;
    }
  }
  return true;
}

bool EncodeUtf8(std::u16string_view text, std::string* bytes) {
  const char16_t* begin = text.data();
  const char16_t* end = begin + text.size();

  size_t size = 0;
  bool substituted = false;
  const char16_t* in = begin;
  while (in < end) {
    // Sixteen at a time without a branch on what they hold, up to sixteen that hold a
    // surrogate half (and the last few): those are taken one by one.
    size += SixteensLength(in, end);
    const char16_t* const slow = in + std::min<ptrdiff_t>(end - in, 16);
    while (in < slow) {
      const char16_t unit = *in++;
      if (unit < 0x80) {
        size += 1;
      } else if (unit < 0x800) {
        size += 2;
      } else if (IsHighSurrogate(unit) && in < end && IsLowSurrogate(*in)) {
        size += 4;
        ++in;
      } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
        size += 1;
        substituted = true;
      } else {
        size += 3;
      }
    }
  }

  bytes->resize(size);
  auto* out = reinterpret_cast<unsigned char*>(bytes->data());
  // The table takes a fraction of a millisecond to make: for a large text only.
  const uint32_t* const words = text.size() >= kUnitsForWordTable ? Utf8WordTable() : nullptr;
  const auto* const outEnd = out + size;
  for (const char16_t* in = begin; in < end; ++in) {
    if (end - in >= 16) {
      const SixteenKind kind = KindOfSixteen(in);
      if (kind == SixteenKind::kAscii) {
        PutAsciiSixteen(out, in);
        out += 16;
        in += 15;
        continue;
      }
      // Up to three bytes past the last character are scribbled on, so keep that inside.
      if (kind == SixteenKind::kNoSurrogate && outEnd - out >= 51) {
        if (words) {
          out = PutBmpEight(out, in, words);
          out = PutBmpEight(out, in + 8, words);
        } else {
          for (size_t k = 0; k < 16; ++k) out = PutBmp(out, in[k]);
        }
        in += 15;
        continue;
      }
    }
    const char16_t unit = *in;
    if (unit < 0x80) {
      *out++ = static_cast<unsigned char>(unit);
    } else if (unit < 0x800) {
      *out++ = static_cast<unsigned char>(0xC0 | (unit >> 6));
      *out++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
    } else if (IsHighSurrogate(unit) && in + 1 < end && IsLowSurrogate(in[1])) {
      const uint32_t c = 0x10000 + ((uint32_t{unit} - 0xD800) << 10) + (in[1] - 0xDC00u);
      *out++ = static_cast<unsigned char>(0xF0 | (c >> 18));
      *out++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
      ++in;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      *out++ = '?';
    } else {
      *out++ = static_cast<unsigned char>(0xE0 | (unit >> 12));
      *out++ = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | (unit & 0x3F));
    }
  }
  return substituted;
}
