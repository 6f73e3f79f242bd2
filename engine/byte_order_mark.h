// The byte-order marks the program reads and writes.
#pragma once

#include <cstdint>
#include <string_view>

struct ByteOrderMark {
  uint32_t codePage;
  std::string_view bytes;
};

// The mark at the start of bytes, or nullptr. FF FE is UTF-16 LE even when 00 00 follows.
const ByteOrderMark* FindByteOrderMark(std::string_view bytes);

// The mark written before text in codePage; empty for a code page that has none.
std::string_view ByteOrderMarkFor(uint32_t codePage);
