#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/codec/cp932_table.h"
#include "cp932_tables.inc"
#include "engine/large_buffer.h"

namespace {

// Units or bytes converted per block: the block stays in the cache while it is appended.
constexpr size_t kBlock = 1 << 16;

// From this many bytes on, decoding takes a helper thread for the second half; the
// byte it starts at is looked for this far from the middle.
constexpr size_t kDecodeHelperFrom = size_t{8} << 20;
constexpr size_t kSplitSearch = size_t{64} << 10;

uint64_t Load64(const void* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Set in a word of eight bytes when one of them is not ASCII.
constexpr uint64_t kByteHighs = 0x8080808080808080ull;
// Set in a word of four units when one of them is not ASCII.
constexpr uint64_t kUnitNonAscii = 0xFF80FF80FF80FF80ull;

}  // namespace

const Cp932Table* Cp932Table::Get() {
  static const Cp932Table* const table = []() -> const Cp932Table* {
    if (!kCp932TablesUsable) return nullptr;
    static const Cp932Table made(kCp932Singles, kCp932Pairs, kCp932Codes, kCp932StartsAlone);
    return &made;
  }();
  return table;
}

Cp932Table::Cp932Table(const uint32_t* single, const char16_t* pairs, const uint16_t* encode,
                       const uint8_t* startsAlone)
    : single_(single), pairs_(pairs), encode_(encode), startsAlone_(startsAlone) {
  asciiOneByte_ = true;
  for (uint32_t unit = 0; unit < 0x80; ++unit) {
    asciiOneByte_ = asciiOneByte_ && single_[unit] < 0x80 && encode_[unit] < 0x80;
  }
}

bool Cp932Table::DecodeRun(const unsigned char*& in, const unsigned char* stop,
                           const unsigned char* end, char16_t*& out) const {
  const bool asciiOneByte = asciiOneByte_;
  const uint32_t* const singles = single_;
  const char16_t* const pairs = pairs_;
  while (in < stop) {
    if (end - in >= 16) {
      if (asciiOneByte && (Load64(in) & kByteHighs) == 0) {
        for (size_t k = 0; k < 8; ++k) out[k] = static_cast<char16_t>(singles[in[k]]);
        out += 8;
        in += 8;
        continue;
      }
      // Eight characters (at most 16 bytes) without a check of the end between them; a
      // bad sequence fails the whole decode, so it is looked at once for all eight.
      uint32_t bad = 0;
      for (size_t k = 0; k < 8; ++k) {
        const uint32_t entry = singles[in[0]];
        if (entry < kLead) {
          *out++ = static_cast<char16_t>(entry);
          ++in;
        } else {
          const char16_t pair = pairs[static_cast<uint32_t>(in[0]) << 8 | in[1]];
          bad |= (entry == kInvalid) | (pair == 0);
          *out++ = pair;
          in += 2;
        }
      }
      if (bad != 0) return false;
      continue;
    }
    const uint32_t entry = singles[*in];
    if (entry < kLead) {
      *out++ = static_cast<char16_t>(entry);
      ++in;
      continue;
    }
    if (entry == kInvalid || end - in < 2) return false;
    const char16_t unit = pairs[static_cast<uint32_t>(in[0]) << 8 | in[1]];
    if (unit == 0) return false;
    *out++ = unit;
    in += 2;
  }
  return true;
}

bool Cp932Table::Decode(std::string_view bytes, WideText* text) const {
  WideText out;
  ReserveLarge(out, bytes.size());
  // A step of eight characters may run 15 bytes past a block's stop, and so 8 units.
  char16_t block[kBlock + 8];
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = in + bytes.size();
  while (in < end) {
    char16_t* filled = block;
    const unsigned char* const stop = in + std::min<size_t>(static_cast<size_t>(end - in), kBlock);
    if (!DecodeRun(in, stop, end, filled)) return false;
    out.append(block, static_cast<size_t>(filled - block));
  }
  *text = std::move(out);
  return true;
}

bool Cp932Table::DecodeInPlace(WideText* text, size_t offset, size_t count) const {
  char16_t* const units = text->data();
  const auto* const bytes = reinterpret_cast<const unsigned char*>(units) + offset;
  // A large text is decoded in two parts at once: the second on a helper thread into a
  // buffer of its own, from a byte that starts a character in any file that decodes at
  // all (a line end, a space: never the second byte of a pair). Together the parts
  // decode exactly as one pass would, and fail exactly when it would.
  size_t split = count;
  if (count >= kDecodeHelperFrom) {
    const unsigned char* const middle = bytes + count / 2;
    const unsigned char* const far = bytes + std::min(count, count / 2 + kSplitSearch);
    for (const unsigned char* p = middle; p < far; ++p) {
      if (startsAlone_[*p]) {
        split = static_cast<size_t>(p - bytes);
        break;
      }
    }
  }
  WideText second;
  bool secondOk = true;
  std::exception_ptr secondFailure;
  std::thread helper;
  if (split < count) {
    try {
      helper = std::thread([&] {
        try {
          secondOk = Decode(std::string_view(reinterpret_cast<const char*>(bytes) + split,
                                             count - split),
                            &second);
        } catch (...) {
          secondFailure = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      split = count;  // no thread to be had: one part
    }
  }
  const unsigned char* in = bytes;
  char16_t* out = units;
  // The first part must end exactly at the split: a pair may not run past it.
  const bool firstOk = DecodeRun(in, bytes + split, bytes + split, out);
  if (helper.joinable()) helper.join();
  if (secondFailure) std::rethrow_exception(secondFailure);
  if (!firstOk || !secondOk) return false;
  // Every byte has been read: the second part's units follow the first's.
  const size_t firstUnits = static_cast<size_t>(out - units);
  std::memcpy(units + firstUnits, second.data(), second.size() * sizeof(char16_t));
  text->resize(firstUnits + second.size());
  return true;
}

char* Cp932Table::EncodeRun(const char16_t* in, const char16_t* end, char* to,
                            bool* substituted) const {
  const bool asciiOneByte = asciiOneByte_;
  const uint16_t* const codes = encode_;
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
      // A surrogate half. Code page 932 has no character beyond the BMP, so a pair is
      // one character it cannot write, and so is a half on its own: one "?" each.
      if (in[0] <= 0xDBFF && end - in >= 2 && in[1] >= 0xDC00 && in[1] <= 0xDFFF) ++in;
      *to++ = '?';
      *substituted = true;
    }
    ++in;
  }
  return to;
}

void Cp932Table::Encode(std::u16string_view text, std::string* bytes, bool* substituted) const {
  std::string out;
  ReserveLarge(out, text.size() * 2);
  // Two bytes at most for each unit of a block.
  char block[2 * kBlock];
  bool replaced = false;
  const char16_t* in = text.data();
  const char16_t* const end = in + text.size();
  while (in < end) {
    const char16_t* stop = in + std::min<size_t>(static_cast<size_t>(end - in), kBlock);
    // A surrogate pair stays in one block.
    if (stop < end && stop[-1] >= 0xD800 && stop[-1] <= 0xDBFF) --stop;
    const char* const written = EncodeRun(in, stop, block, &replaced);
    out.append(block, static_cast<size_t>(written - block));
    in = stop;
  }
  *bytes = std::move(out);
  *substituted = replaced;
}

size_t Cp932Table::EncodeInPlace(char16_t* units, size_t count, bool* substituted) const {
  char* const start = reinterpret_cast<char*>(units);
  bool replaced = false;
  const char* const written = EncodeRun(units, units + count, start, &replaced);
  *substituted = replaced;
  return static_cast<size_t>(written - start);
}
