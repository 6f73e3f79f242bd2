#include "engine/find_unit.h"

#include <cstdint>
#include <cstring>

namespace {

// Four units to a 64-bit word: after an XOR with the unit spread over all lanes, a lane
// is zero exactly where the unit matched. The test is exact for "some lane is zero",
// which is all it is asked; the position is then found unit by unit.
constexpr uint64_t kLaneOnes = 0x0001000100010001ull;
constexpr uint64_t kLaneHighs = 0x8000800080008000ull;

uint64_t Word(const char16_t* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

uint64_t HasZeroLane(uint64_t x) { return (x - kLaneOnes) & ~x & kLaneHighs; }

}  // namespace

const char16_t* FindEitherUnit(const char16_t* begin, const char16_t* end, char16_t a,
                               char16_t b) {
  const uint64_t spreadA = kLaneOnes * a;
  const uint64_t spreadB = kLaneOnes * b;
  const char16_t* p = begin;
  // Eight units per step: most steps find nothing.
  while (end - p >= 8) {
    const uint64_t low = Word(p);
    const uint64_t high = Word(p + 4);
    if ((HasZeroLane(low ^ spreadA) | HasZeroLane(low ^ spreadB) | HasZeroLane(high ^ spreadA) |
         HasZeroLane(high ^ spreadB)) != 0) {
      break;
    }
    p += 8;
  }
  while (p < end && *p != a && *p != b) ++p;
  return p;
}
