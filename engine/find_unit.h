// Fast forward search for a UTF-16 unit, for the passes that only act at a few units
// (line ends, the first unit of a search text) and pass over everything in between.
// Inline: the passes call it once per line or per hit, and a call per line costs as
// much as the search itself. Its vector types serve the other vector code of the engine
// too (the code page 932 decoder).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace find_unit {

// Sixteen units at a time in two vectors of eight (SSE2 on x86-64, NEON on arm64; the
// compiler splits them where the target has narrower registers). Lane 0 is the low end
// of the first word on the little-endian machines we build for.
static_assert(std::endian::native == std::endian::little);
typedef uint8_t Bytes16 __attribute__((vector_size(16)));
typedef uint16_t Units8 __attribute__((vector_size(16)));
typedef uint16_t Units16 __attribute__((vector_size(32)));
typedef uint64_t Words2 __attribute__((vector_size(16)));

inline Units8 Load(const char16_t* p) {
  Units8 units;
  std::memcpy(&units, p, sizeof units);
  return units;
}

// The first lane of a comparison result that is set, from a word of four lanes.
inline size_t FirstLane(uint64_t word) {
  return static_cast<size_t>(std::countr_zero(word)) / 16;
}

// Bit k set when lane k of a comparison result of eight units is set (lanes 0..3 in the
// first word): the top bit of each lane is carried to the top of the word by one
// multiplication, whose partial products never meet.
inline uint32_t LaneBits(Words2 lanes) {
  constexpr uint64_t kTops = 0x8000800080008000ull;
  constexpr uint64_t kGather = 0x0000200040008001ull;
  return static_cast<uint32_t>(((lanes[0] & kTops) * kGather) >> 60) |
         static_cast<uint32_t>(((lanes[1] & kTops) * kGather) >> 60) << 4;
}

// Bit k set when unit k of sixteen is set in the comparison results of their halves.
// The top bits of the lanes are first moved so that unit 4m + g sits at bit 16g + 4m of
// one word; one multiplication then carries each group g of four to bits 45 + 4m + g,
// and its partial products never meet there.
inline uint32_t UnitBits(Words2 lowHits, Words2 highHits) {
  constexpr uint64_t kTops = 0x8000800080008000ull;
  constexpr uint64_t kGather = 0x0000200040008001ull;
  const Words2 both = ((lowHits & kTops) >> 15) | ((highHits & kTops) >> 7);
  return static_cast<uint32_t>(((both[0] | both[1] << 4) * kGather) >> 45) & 0xFFFF;
}

}  // namespace find_unit

// The first unit in [begin, end) equal to a, b or c (which may repeat each other), or end.
inline const char16_t* FindAnyOfThreeUnits(const char16_t* begin, const char16_t* end,
                                           char16_t a, char16_t b, char16_t c) {
  using namespace find_unit;
  const Units8 spreadA = Units8{} + static_cast<uint16_t>(a);
  const Units8 spreadB = Units8{} + static_cast<uint16_t>(b);
  const Units8 spreadC = Units8{} + static_cast<uint16_t>(c);
  const char16_t* p = begin;
  // Most steps find nothing; the step that does tells where without going back.
  while (end - p >= 16) {
    const Units8 low = Load(p);
    const Units8 high = Load(p + 8);
    const Words2 lowHits =
        reinterpret_cast<Words2>((low == spreadA) | (low == spreadB) | (low == spreadC));
    const Words2 highHits =
        reinterpret_cast<Words2>((high == spreadA) | (high == spreadB) | (high == spreadC));
    if ((lowHits[0] | lowHits[1] | highHits[0] | highHits[1]) != 0) {
      if (lowHits[0] != 0) return p + FirstLane(lowHits[0]);
      if (lowHits[1] != 0) return p + 4 + FirstLane(lowHits[1]);
      if (highHits[0] != 0) return p + 8 + FirstLane(highHits[0]);
      return p + 12 + FirstLane(highHits[1]);
    }
    p += 16;
  }
  while (p < end && *p != a && *p != b && *p != c) ++p;
  return p;
}

// The first unit in [begin, end) equal to a or to b (a and b may be the same), or end.
inline const char16_t* FindEitherUnit(const char16_t* begin, const char16_t* end, char16_t a,
                                      char16_t b) {
  return FindAnyOfThreeUnits(begin, end, a, b, b);
}
