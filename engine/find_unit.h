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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The same for sixteen lanes in two vectors of eight (lanes 0..7 from low). The lanes must
// be whole comparison results: all bits set or none.
inline uint32_t LaneBits16(Words2 low, Words2 high) {
#if defined(__SSE2__)
  // Every x86-64 has it: the lanes packed to bytes, then their top bits in one instruction.
  return static_cast<uint32_t>(_mm_movemask_epi8(
      _mm_packs_epi16(reinterpret_cast<__m128i>(low), reinterpret_cast<__m128i>(high))));
#else
  return LaneBits(low) | LaneBits(high) << 8;
#endif
}

// Bit k set when the top bit of byte k is set.
inline uint32_t ByteTopBits(Bytes16 bytes) {
#if defined(__SSE2__)
  return static_cast<uint32_t>(_mm_movemask_epi8(reinterpret_cast<__m128i>(bytes)));
#else
  // The top bit of each byte carried to the top of its word by one multiplication.
  const Words2 words = reinterpret_cast<Words2>(bytes);
  constexpr uint64_t kTops = 0x8080808080808080ull;
  constexpr uint64_t kGather = 0x0002040810204081ull;
  return static_cast<uint32_t>(((words[0] & kTops) * kGather) >> 56) |
         static_cast<uint32_t>(((words[1] & kTops) * kGather) >> 56) << 8;
#endif
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
