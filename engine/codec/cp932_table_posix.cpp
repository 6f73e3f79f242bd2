#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/codec/cp932_table.h"
#include "cp932_tables.inc"
#include "engine/find_unit.h"
#include "engine/large_buffer.h"
#include "engine/two_halves.h"

namespace {

// Units or bytes converted per block: the block stays in the cache while it is appended.
constexpr size_t kBlock = 1 << 16;

// How far from the middle the byte the second half of a large decode starts at is
// looked for.
constexpr size_t kSplitSearch = size_t{64} << 10;

uint64_t Load64(const void* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Bytes decoded per step of the block loop: one bit per byte in a word.
constexpr ptrdiff_t kStep = 64;

// Set in a word of eight bytes when one of them is not ASCII.
constexpr uint64_t kByteHighs = 0x8080808080808080ull;
// Set in a word of four units when one of them is not ASCII.
constexpr uint64_t kUnitNonAscii = 0xFF80FF80FF80FF80ull;

}  // namespace

const Cp932Table* Cp932Table::Get() {
  static const Cp932Table* const table = []() -> const Cp932Table* {
    if (!kCp932TablesUsable) return nullptr;
    static const Cp932Table made(kCp932Singles, kCp932Characters, kCp932Codes,
                                 kCp932StartsAlone);
    return &made;
  }();
  return table;
}

int Cp932Table::BytesWithLookAlikes(char16_t unit) {
  return kCp932ByteCountsUsable ? kCp932ByteCounts[unit] : -1;
}

Cp932Table::Cp932Table(const uint32_t* single, const char16_t* characters,
                       const uint16_t* encode, const uint8_t* startsAlone)
    : single_(single), characters_(characters), encode_(encode), startsAlone_(startsAlone) {
  asciiOneByte_ = true;
  for (uint32_t unit = 0; unit < 0x80; ++unit) {
    asciiOneByte_ = asciiOneByte_ && single_[unit] < 0x80 && encode_[unit] < 0x80;
  }
  leadRanges_ = true;
  for (uint32_t byte = 0; byte < 0x100; ++byte) {
    const bool inRanges = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    const uint32_t entry = single_[byte];
    leadRanges_ = leadRanges_ && (inRanges ? entry >= kLead : entry != kLead) &&
                  (entry >= kLead || characters_[Pair(byte, 0xFF)] == entry);
  }
}

namespace {

using find_unit::ByteTopBits;
using find_unit::Bytes16;
typedef uint8_t Bytes8 __attribute__((vector_size(8)));
using find_unit::Units16;
using find_unit::Units8;
using find_unit::Words2;

// Of 64 bytes that begin with a character: given which of them may lead a pair, which are
// second bytes. In a run of bytes that may lead, the first leads (the byte before it is a
// single character or a second byte), the next is its second byte, and so on by turns;
// the byte after the run is a second byte when the run is odd. Runs that start at odd
// positions are found and cleared by one addition, which gives every run its parity at
// once.
uint64_t SecondBytes(uint64_t leads) {
  constexpr uint64_t kEven = 0x5555555555555555ull;
  const uint64_t followsLead = leads << 1;
  const uint64_t oddStarts = leads & ~kEven & ~followsLead;
  const uint64_t evenRuns = oddStarts + leads;
  return (kEven ^ (evenRuns << 1)) & followsLead;
}

// Whether a unit in [begin, end) is kNoCharacter.
bool AnyNoCharacter(const char16_t* begin, const char16_t* end) {
  const Units8 none = Units8{} + uint16_t{Cp932Table::kNoCharacter};
  Units8 hits{};
  const char16_t* p = begin;
  for (; end - p >= 8; p += 8) {
    Units8 units;
    std::memcpy(&units, p, sizeof units);
    hits |= reinterpret_cast<Units8>(units == none);
  }
  const Words2 words = reinterpret_cast<Words2>(hits);
  bool any = (words[0] | words[1]) != 0;
  for (; p < end; ++p) any |= *p == Cp932Table::kNoCharacter;
  return any;
}

}  // namespace

bool Cp932Table::DecodeRun(const unsigned char*& in, const unsigned char* stop,
                           const unsigned char* end, char16_t*& out) const {
  const bool asciiOneByte = asciiOneByte_;
  const uint32_t* const singles = single_;
  const char16_t* const characters = characters_;
  // 64 bytes a step: which of them begin characters is worked out for all of them at
  // once, and then each character is one look-up of its first two bytes, without a
  // branch that depends on the text. The step reads one byte beyond its 64 (the second
  // byte of a pair that begins at the last, or a byte that is not needed).
  if (leadRanges_) {
    // A byte that no character starts with shows as kNoCharacter among the units, which
    // are looked over a few thousand at a time (while they are in the cache) rather than
    // after each step.
    const char16_t* checked = out;
    while (in < stop && end - in > kStep) {
      Bytes16 parts[4];
      uint64_t leads = 0;
      uint64_t high = 0;
      for (size_t k = 0; k < 4; ++k) {
        std::memcpy(&parts[k], in + 16 * k, 16);
        const Bytes16 lead = reinterpret_cast<Bytes16>(
            (parts[k] - uint8_t{0x81} < uint8_t{0x1F}) | (parts[k] - uint8_t{0xE0} < uint8_t{0x1D}));
        leads |= uint64_t{ByteTopBits(lead)} << (16 * k);
        high |= uint64_t{ByteTopBits(parts[k])} << (16 * k);
      }
      if (high == 0 && asciiOneByte) {
        // Plain ASCII: every byte is its unit. The bytes are all read before any unit is
        // written, as the units may lie over them.
        for (size_t k = 0; k < 4; ++k) {
          const Units16 units = __builtin_convertvector(parts[k], Units16);
          std::memcpy(out + 16 * k, &units, sizeof units);
        }
        out += kStep;
        in += kStep;
        continue;
      }
      const uint64_t seconds = SecondBytes(leads);
      uint64_t starts = ~seconds;
      // Each unit is written below the bytes still to be read (see DecodeInPlace). The
      // loop writes through a local pointer, which stays in a register.
      char16_t* unit = out;
      do {
        const auto at = static_cast<uint32_t>(std::countr_zero(starts));
        starts &= starts - 1;
        uint16_t bytes;
        std::memcpy(&bytes, in + at, 2);
        *unit++ = characters[bytes];
      } while (starts != 0);
      out = unit;
      // A pair that begins at the last byte ends in the next step's first.
      in += kStep + ((leads & ~seconds) >> (kStep - 1));
      if (out - checked >= 4096) {
        if (AnyNoCharacter(checked, out)) return false;
        checked = out;
      }
    }
    if (AnyNoCharacter(checked, out)) return false;
  }
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
          const char16_t pair = characters[Pair(in[0], in[1])];
          bad |= (entry == kInvalid) | (pair == kNoCharacter);
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
    const char16_t unit = characters[Pair(in[0], in[1])];
    if (unit == kNoCharacter) return false;
    *out++ = unit;
    in += 2;
  }
  return true;
}

bool Cp932Table::Decode(std::string_view bytes, WideText* text) const {
  WideText out;
  ReserveLarge(out, bytes.size());
  // A step may run 64 bytes past a block's stop, and so 64 units.
  char16_t block[kBlock + kStep];
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

bool Cp932Table::DecodePiece(std::string_view piece, std::string* pending,
                             WideText* text) const {
  const auto* in = reinterpret_cast<const unsigned char*>(piece.data());
  const auto* const end = in + piece.size();
  if (!pending->empty() && in < end) {
    // The lead byte the last piece ended with, and its second byte.
    const char16_t unit =
        characters_[Pair(static_cast<unsigned char>((*pending)[0]), *in)];
    if (unit == kNoCharacter) return false;
    text->push_back(unit);
    pending->clear();
    ++in;
  }
  // Blocks that stay in the first-level cache on their way into the text.
  constexpr size_t kPieceBlock = 4096;
  char16_t block[kPieceBlock + kStep];
  while (in < end) {
    // The last byte is left for the end: it may lead a pair whose second byte is in the
    // next piece.
    const unsigned char* const stop = in + std::min<size_t>(static_cast<size_t>(end - in) - 1, kPieceBlock);
    if (in < stop) {
      char16_t* filled = block;
      if (!DecodeRun(in, stop, end, filled)) return false;
      text->append(block, static_cast<size_t>(filled - block));
    }
    if (end - in == 1) {
      const uint32_t entry = single_[*in];
      if (entry == kInvalid) return false;
      if (entry == kLead) {
        pending->assign(1, static_cast<char>(*in));
      } else {
        text->push_back(static_cast<char16_t>(entry));
      }
      ++in;
    }
  }
  return true;
}

bool Cp932Table::DecodeInPlace(WideText* text, size_t offset, size_t count) const {
  char16_t* const units = text->data();
  auto* const base = reinterpret_cast<unsigned char*>(units);
  // A large text is decoded in two halves at once, from a byte that starts a character
  // in any file that decodes at all (a line end, a space: never the second byte of a
  // pair). Together the halves decode exactly as one pass would, and fail exactly when
  // it would.
  size_t split = count;
  if (TwoHalvesPay(count)) {
    const unsigned char* const bytes = base + offset;
    const unsigned char* const middle = bytes + count / 2;
    const unsigned char* const far = bytes + std::min(count, count / 2 + kSplitSearch);
    for (const unsigned char* p = middle; p < far; ++p) {
      if (startsAlone_[*p]) {
        split = static_cast<size_t>(p - bytes);
        break;
      }
    }
  }
  if (split == count) {
    const unsigned char* in = base + offset;
    char16_t* out = units;
    if (!DecodeRun(in, in + count, in + count, out)) return false;
    text->resize(static_cast<size_t>(out - units));
    return true;
  }
  // Each half is given a stretch of the buffer of its own, twice its bytes, with its
  // bytes in the upper half: the first half's bytes move down to just above where its
  // units go (offset >= count leaves the second half's bytes room enough where they
  // are), and the second half's units start at unit split. Nothing else is needed, and
  // afterwards the second half's units move down behind the first's.
  std::memmove(base + split, base + offset, split);
  const unsigned char* firstIn = base + split;
  char16_t* firstOut = units;
  const unsigned char* secondIn = base + offset + split;
  char16_t* secondOut = units + split;
  const unsigned char* const secondEnd = base + offset + count;
  bool firstOk = true;
  bool secondOk = true;
  RunTwoHalves(
      // The first half must end exactly at the split: a pair may not run past it.
      [&] { firstOk = DecodeRun(firstIn, base + 2 * split, base + 2 * split, firstOut); },
      [&] { secondOk = DecodeRun(secondIn, secondEnd, secondEnd, secondOut); });
  if (!firstOk || !secondOk) return false;
  const size_t firstUnits = static_cast<size_t>(firstOut - units);
  const size_t secondUnits = static_cast<size_t>(secondOut - (units + split));
  std::memmove(units + firstUnits, units + split, secondUnits * sizeof(char16_t));
  text->resize(firstUnits + secondUnits);
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
        // ASCII maps to itself when it is one byte each way (the tables are made so):
        // the eight units are narrowed at once.
        Units8 units;
        std::memcpy(&units, in, sizeof units);
        const Bytes8 bytes = __builtin_convertvector(units, Bytes8);
        std::memcpy(to, &bytes, sizeof bytes);
        to += 8;
        in += 8;
        continue;
      }
      // Eight units without a branch per unit: both bytes of each code go out, the
      // position moves by one or two. A mark among them (rare) sends the eight down the
      // unit-by-unit path below instead. All eight are looked up before anything is
      // written, as the output may lie over them.
      // (Sums that carry into bit 16 tell a mark, and a pair, without a comparison.)
      uint32_t code[8];
      uint32_t marks = 0;
      for (size_t k = 0; k < 8; ++k) {
        code[k] = codes[in[k]];
        marks |= code[k] + (0x10000u - kFirstMark);
      }
      if (marks < 0x10000) {
        for (size_t k = 0; k < 8; ++k) {
          const auto bytes = static_cast<uint16_t>(code[k]);
          std::memcpy(to, &bytes, 2);
          to += 1 + ((code[k] + 0xFF00u) >> 16);
        }
        in += 8;
        continue;
      }
    }
    const uint16_t code = codes[*in];
    if (code < kFirstMark) {
      to[0] = static_cast<char>(code);
      if (code > 0xFF) *++to = static_cast<char>(code >> 8);
      ++to;
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
