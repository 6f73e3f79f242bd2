#include "settings/ini_file.h"

namespace {

// The parts of a profile number: its sign, its base and where its digits begin.
struct NumberStart {
  bool negative = false;
  uint32_t base = 10;
  size_t digits = 0;
};

NumberStart ReadNumberStart(std::u16string_view value) {
  NumberStart start;
  size_t i = 0;
  while (i < value.size() && value[i] <= u' ') ++i;
  if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) {
    start.negative = value[i] == u'-';
    ++i;
  }
  if (i + 1 < value.size() && value[i] == u'0' && (value[i + 1] == u'x' || value[i + 1] == u'X')) {
    start.base = 16;
    i += 2;
  }
  start.digits = i;
  return start;
}

// The digit's value, or -1 when c ends the number.
int DigitValue(char16_t c, uint32_t base) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (base == 16 && c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (base == 16 && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

uint32_t ParseProfileNumber(std::u16string_view value) {
  const NumberStart start = ReadNumberStart(value);
  uint32_t number = 0;
  for (size_t i = start.digits; i < value.size(); ++i) {
    int digit = DigitValue(value[i], start.base);
    if (digit < 0) break;
    // Wraps like the 32-bit pattern it stands for.
    number = number * start.base + static_cast<uint32_t>(digit);
  }
  return start.negative ? 0u - number : number;
}

int64_t ParseProfileNumberUnwrapped(std::u16string_view value) {
  constexpr uint64_t kLimit = uint64_t{1} << 62;
  const NumberStart start = ReadNumberStart(value);
  uint64_t number = 0;
  for (size_t i = start.digits; i < value.size(); ++i) {
    int digit = DigitValue(value[i], start.base);
    if (digit < 0) break;
    // Held at the limit once it gets there: no later digit brings it back below.
    const auto d = static_cast<uint64_t>(digit);
    number = number > (kLimit - d) / start.base ? kLimit : number * start.base + d;
  }
  const auto magnitude = static_cast<int64_t>(number);
  return start.negative ? -magnitude : magnitude;
}

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}
