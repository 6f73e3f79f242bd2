#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/codec/cp932_table.h"
#include "engine/large_buffer.h"

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Units or bytes converted per block: the block stays in the cache while it is appended.
constexpr size_t kBlock = 1 << 16;

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

uint64_t Load64(const void* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Set in a word of eight bytes when one of them is not ASCII.
constexpr uint64_t kByteHighs = 0x8080808080808080ull;
// Set in a word of four units when one of them is not ASCII.
constexpr uint64_t kUnitNonAscii = 0xFF80FF80FF80FF80ull;

// Decodes bytes on their own, the way the codec does: stop at any bad sequence.
// The number of units written, or -1 on error.
int32_t DecodeAlone(UConverter* converter, const char* bytes, int32_t length, UChar* out) {
  ucnv_resetToUnicode(converter);
  UErrorCode error = U_ZERO_ERROR;
  const int32_t units = ucnv_toUChars(converter, out, 4, bytes, length, &error);
  return U_FAILURE(error) ? -1 : units;
}

}  // namespace

const Cp932Table* Cp932Table::Get() {
  static const Cp932Table* const table = [] {
    static Cp932Table built;
    return built.Build() ? &built : nullptr;
  }();
  return table;
}

bool Cp932Table::Build() {
  UErrorCode error = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open("windows-932", &error));
  if (U_FAILURE(error)) return false;
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error) || ucnv_getMaxCharSize(converter.get()) > 2) return false;

  // Decoding: every byte alone, and every pair after a byte that does not stand alone.
  pairs_.assign(0x10000, 0);
  UChar out[4];
  for (uint32_t lead = 0; lead < 256; ++lead) {
    const char one[1] = {static_cast<char>(lead)};
    const int32_t units = DecodeAlone(converter.get(), one, 1, out);
    if (units == 1) {
      single_[lead] = out[0];
      continue;
    }
    if (units > 1) return false;
    single_[lead] = kInvalid;
    for (uint32_t trail = 0; trail < 256; ++trail) {
      const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const int32_t pairUnits = DecodeAlone(converter.get(), two, 2, out);
      if (pairUnits < 0) continue;
      // A pair must be one character of one unit, and never U+0000 (the "no pair" mark).
      if (pairUnits != 1 || out[0] == 0) return false;
      pairs_[lead << 8 | trail] = out[0];
      single_[lead] = kLead;
    }
  }

  // Encoding: every unit but the surrogates through one conversion with the codec's
  // settings; the offsets tell which unit each byte came from. What ICU cannot write
  // comes out as "?", except the default-ignorable units, which it drops.
  ucnv_setFallback(converter.get(), false);
  ucnv_setSubstString(converter.get(), u"?", 1, &error);
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr,
                        nullptr, &error);
  if (U_FAILURE(error)) return false;
  std::u16string units;
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (!IsSurrogate(static_cast<char16_t>(unit))) units += static_cast<char16_t>(unit);
  }
  std::string bytes(units.size() * 2, '\0');
  std::vector<int32_t> offsets(bytes.size(), -1);
  const UChar* source = units.data();
  char* target = bytes.data();
  ucnv_fromUnicode(converter.get(), &target, bytes.data() + bytes.size(), &source,
                   units.data() + units.size(), offsets.data(), true, &error);
  if (U_FAILURE(error)) return false;
  const size_t written = static_cast<size_t>(target - bytes.data());
  encode_.assign(0x10000, kDropped);
  for (size_t i = 0; i < written;) {
    const int32_t from = offsets[i];
    if (from < 0) return false;
    size_t length = 1;
    while (i + length < written && offsets[i + length] == from) ++length;
    if (length > 2) return false;
    const auto first = static_cast<unsigned char>(bytes[i]);
    const char16_t unit = units[static_cast<size_t>(from)];
    uint16_t code = length == 1 ? first
                                : static_cast<uint16_t>(first << 8 |
                                                        static_cast<unsigned char>(bytes[i + 1]));
    // Lead bytes stop at FC, so no pair collides with the two marks.
    if (code == kUnmappable || code == kDropped) return false;
    if (code == '?' && unit != u'?') code = kUnmappable;
    encode_[unit] = code;
    i += length;
  }
  for (uint32_t unit = 0xD800; unit <= 0xDFFF; ++unit) encode_[unit] = kSurrogate;
  asciiOneByte_ = true;
  for (uint32_t unit = 0; unit < 0x80; ++unit) {
    asciiOneByte_ = asciiOneByte_ && single_[unit] < 0x80 && encode_[unit] < 0x80;
  }
  return true;
}

bool Cp932Table::Decode(std::string_view bytes, WideText* text) const {
  WideText out;
  ReserveLarge(out, bytes.size());
  char16_t block[kBlock];
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = in + bytes.size();
  const bool asciiOneByte = asciiOneByte_;
  const uint32_t* const singles = single_;
  const char16_t* const pairs = pairs_.data();
  while (in < end) {
    size_t filled = 0;
    // Room for the eight units of a step.
    while (filled <= kBlock - 8 && in < end) {
      if (end - in >= 16) {
        if (asciiOneByte && (Load64(in) & kByteHighs) == 0) {
          for (size_t k = 0; k < 8; ++k) block[filled + k] = static_cast<char16_t>(singles[in[k]]);
          filled += 8;
          in += 8;
          continue;
        }
        // Eight characters (at most 16 bytes) without a check of the end or the block
        // between them; a bad sequence fails the whole decode, so it is looked at once
        // for all eight.
        uint32_t bad = 0;
        for (size_t k = 0; k < 8; ++k) {
          const uint32_t entry = singles[in[0]];
          if (entry < kLead) {
            block[filled++] = static_cast<char16_t>(entry);
            ++in;
          } else {
            const char16_t pair = pairs[static_cast<uint32_t>(in[0]) << 8 | in[1]];
            bad |= (entry == kInvalid) | (pair == 0);
            block[filled++] = pair;
            in += 2;
          }
        }
        if (bad != 0) return false;
        continue;
      }
      const uint32_t entry = singles[*in];
      if (entry < kLead) {
        block[filled++] = static_cast<char16_t>(entry);
        ++in;
        continue;
      }
      if (entry == kInvalid || end - in < 2) return false;
      const char16_t unit = pairs[static_cast<uint32_t>(in[0]) << 8 | in[1]];
      if (unit == 0) return false;
      block[filled++] = unit;
      in += 2;
    }
    out.append(block, filled);
  }
  *text = std::move(out);
  return true;
}

const char16_t* Cp932Table::EncodeRun(const char16_t* in, const char16_t* end, char** out,
                                      bool* substituted) const {
  const bool asciiOneByte = asciiOneByte_;
  const uint16_t* const codes = encode_.data();
  char* to = *out;
  while (in < end) {
    if (end - in >= 8) {
      const uint64_t low = Load64(in);
      const uint64_t high = Load64(in + 4);
      if (asciiOneByte && ((low | high) & kUnitNonAscii) == 0) {
        for (size_t k = 0; k < 4; ++k) {
          to[k] = static_cast<char>(codes[(low >> (16 * k)) & 0x7F]);
          to[4 + k] = static_cast<char>(codes[(high >> (16 * k)) & 0x7F]);
        }
        to += 8;
        in += 8;
        continue;
      }
      // Eight units without a branch per unit: both bytes of each code go out, the
      // position moves by one or two. A mark among them (rare) sends the eight down the
      // unit-by-unit path below instead. All eight are looked up before anything is
      // written, as the output may lie over them.
      uint16_t code[8];
      uint32_t marks = 0;
      for (size_t k = 0; k < 8; ++k) {
        code[k] = codes[in[k]];
        marks |= code[k] >= kFirstMark;
      }
      if (marks == 0) {
        for (size_t k = 0; k < 8; ++k) {
          const uint32_t pair = code[k] > 0xFF;
          to[0] = static_cast<char>(code[k] >> (8 * pair));
          to[1] = static_cast<char>(code[k]);
          to += 1 + pair;
        }
        in += 8;
        continue;
      }
    }
    const uint16_t code = codes[*in];
    if (code < kFirstMark) {
      const uint32_t pair = code > 0xFF;
      const char first = static_cast<char>(code >> (8 * pair));
      const char second = static_cast<char>(code);
      to[0] = first;
      if (pair) to[1] = second;
      to += 1 + pair;
    } else if (code == kUnmappable) {
      *to++ = '?';
      *substituted = true;
    } else if (code == kDropped) {
      *substituted = true;
    } else {
      break;  // a surrogate half
    }
    ++in;
  }
  *out = to;
  return in;
}

bool Cp932Table::Encode(std::u16string_view text, std::string* bytes, bool* substituted) const {
  std::string out;
  ReserveLarge(out, text.size() * 2);
  // Two bytes at most for each unit of a block.
  char block[2 * kBlock];
  bool replaced = false;
  const char16_t* in = text.data();
  const char16_t* const end = in + text.size();
  while (in < end) {
    const char16_t* const stop = in + std::min<size_t>(static_cast<size_t>(end - in), kBlock);
    char* written = block;
    const char16_t* reached = EncodeRun(in, stop, &written, &replaced);
    if (reached != stop) return false;  // a surrogate half: *bytes stays as it was
    out.append(block, static_cast<size_t>(written - block));
    in = stop;
  }
  *bytes = std::move(out);
  *substituted = replaced;
  return true;
}

size_t Cp932Table::EncodeInPlace(char16_t* units, size_t count, size_t* consumed,
                                 bool* substituted) const {
  char* const start = reinterpret_cast<char*>(units);
  char* written = start;
  bool replaced = false;
  *consumed = static_cast<size_t>(EncodeRun(units, units + count, &written, &replaced) - units);
  *substituted = replaced;
  return static_cast<size_t>(written - start);
}
