#include <cstddef>
#include <cstring>

#include "engine/find_unit.h"
#include "engine/transformations.h"

namespace {

// U+0000..U+001F except TAB, LF, CR and U+001A (28 codes).
bool IsInvalidControlCode(char16_t unit) {
  return unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r' && unit != 0x1A;
}

// The first control code to go in [p, end), or end. Sixteen units are looked at a time:
// text has a line end in every line, so a search for any unit below U+0020 alone would
// stop all the time.
char16_t* FindInvalidControlCode(char16_t* p, char16_t* const end) {
  using namespace find_unit;
  const Units8 space = Units8{} + uint16_t{0x20};
  const Units8 tab = Units8{} + uint16_t{u'\t'};
  const Units8 lineFeed = Units8{} + uint16_t{u'\n'};
  const Units8 carriageReturn = Units8{} + uint16_t{u'\r'};
  const Units8 endOfFile = Units8{} + uint16_t{0x1A};
  while (end - p >= 16) {
    const Units8 low = Load(p);
    const Units8 high = Load(p + 8);
    const Words2 lowHits = reinterpret_cast<Words2>(
        (low < space) & (low != tab) & (low != lineFeed) & (low != carriageReturn) &
        (low != endOfFile));
    const Words2 highHits = reinterpret_cast<Words2>(
        (high < space) & (high != tab) & (high != lineFeed) & (high != carriageReturn) &
        (high != endOfFile));
    if ((lowHits[0] | lowHits[1] | highHits[0] | highHits[1]) != 0) break;
    p += 16;
  }
  while (p < end && !IsInvalidControlCode(*p)) ++p;
  return p;
}

}  // namespace

bool DeleteControlCodes(WideText& text) {
  char16_t* const data = text.data();
  char16_t* const end = data + text.size();
  char16_t* write = FindInvalidControlCode(data, end);
  if (write == end) return false;
  // From the first code to go on, each stretch between two of them moves down once.
  for (char16_t* read = write + 1; read < end;) {
    char16_t* const next = FindInvalidControlCode(read, end);
    const size_t kept = static_cast<size_t>(next - read);
    std::memmove(write, read, kept * sizeof(char16_t));
    write += kept;
    if (next == end) break;
    read = next + 1;
  }
  text.resize(static_cast<size_t>(write - data));
  return true;
}

bool BlankControlCodes(WideText& text) {
  char16_t* const end = text.data() + text.size();
  bool changed = false;
  for (char16_t* at = FindInvalidControlCode(text.data(), end); at != end;
       at = FindInvalidControlCode(at + 1, end)) {
    *at = u' ';
    changed = true;
  }
  return changed;
}
