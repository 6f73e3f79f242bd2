#include "engine/find_unit.h"

#include <cstdint>
#include <cstring>

namespace {

// Sixteen units at a time in two vectors of eight (SSE2 on x86-64, NEON on arm64; the
// compiler splits them where the target has narrower registers).
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

}  // namespace

const char16_t* FindEitherUnit(const char16_t* begin, const char16_t* end, char16_t a,
                               char16_t b) {
  const Units8 spreadA = Units8{} + static_cast<uint16_t>(a);
  const Units8 spreadB = Units8{} + static_cast<uint16_t>(b);
  const char16_t* p = begin;
  // Most steps find nothing.
  while (end - p >= 16) {
    const Units8 low = Load(p);
    const Units8 high = Load(p + 8);
    const Units8 hits = (low == spreadA) | (low == spreadB) | (high == spreadA) | (high == spreadB);
    if (Any(hits)) break;
    p += 16;
  }
  while (p < end && *p != a && *p != b) ++p;
  return p;
}
