#include "engine/find_unit.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Sixteen units at a time in two vectors of eight (SSE2 on x86-64, NEON on arm64; the
// compiler splits them where the target has narrower registers). Lane 0 is the low end
// of the first word on the little-endian machines we build for.
static_assert(std::endian::native == std::endian::little);
typedef uint16_t Units8 __attribute__((vector_size(16)));
typedef uint64_t Words2 __attribute__((vector_size(16)));

Units8 Load(const char16_t* p) {
  Units8 units;
  std::memcpy(&units, p, sizeof units);
  return units;
}

// Whether any lane of the comparison result is set.
bool Any(Units8 hits) {
  const Words2 words = reinterpret_cast<Words2>(hits);
  return (words[0] | words[1]) != 0;
}

// The first lane of a comparison result that is set, from a word of four lanes.
size_t FirstLane(uint64_t word) { return static_cast<size_t>(std::countr_zero(word)) / 16; }

}  // namespace

const char16_t* FindEitherUnit(const char16_t* begin, const char16_t* end, char16_t a,
                               char16_t b) {
  const Units8 spreadA = Units8{} + static_cast<uint16_t>(a);
  const Units8 spreadB = Units8{} + static_cast<uint16_t>(b);
  const char16_t* p = begin;
  // Most steps find nothing; the step that does tells where without going back.
  while (end - p >= 16) {
    const Units8 low = Load(p);
    const Units8 high = Load(p + 8);
    const Units8 lowHits = (low == spreadA) | (low == spreadB);
    const Units8 highHits = (high == spreadA) | (high == spreadB);
    if (Any(lowHits | highHits)) {
      const Words2 lowWords = reinterpret_cast<Words2>(lowHits);
      const Words2 highWords = reinterpret_cast<Words2>(highHits);
      if (lowWords[0] != 0) return p + FirstLane(lowWords[0]);
      if (lowWords[1] != 0) return p + 4 + FirstLane(lowWords[1]);
      if (highWords[0] != 0) return p + 8 + FirstLane(highWords[0]);
      return p + 12 + FirstLane(highWords[1]);
    }
    p += 16;
  }
  while (p < end && *p != a && *p != b) ++p;
  return p;
}
