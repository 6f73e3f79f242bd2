#include "engine/column_width.h"

#include <array>
#include <cstdint>
#include <memory>

#include "engine/codec/codec.h"

namespace {

using WidthTable = std::array<uint8_t, 0x10000>;

bool IsSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Asks the converter once per unit. A lone surrogate half is no character at all (code
// page 932 cannot write it) and a converter that cannot be created counts every unit
// as one column.
WidthTable BuildWidths() {
  WidthTable widths;
  widths.fill(1);
  uint32_t failure = 0;
  const std::unique_ptr<Codec> codec = CreateSystemCodec(&failure);
  if (!codec) return widths;
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (IsSurrogate(unit)) continue;
    if (codec->BytesIn932(static_cast<char16_t>(unit)) == 2) widths[unit] = 2;
  }
  return widths;
}

}  // namespace

const uint8_t* ColumnWidths() {
  // Built once, under the guard the language gives local statics.
  static const WidthTable widths = BuildWidths();
  return widths.data();
}
