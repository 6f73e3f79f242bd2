#include "engine/page_warmer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "engine/large_buffer.h"

namespace {

TEST(PageWarmer, NeverChangesWhatTheFillerWrites) {
  // The helper faults pages in while the filler writes into them, behind and ahead of it.
  constexpr size_t kUnits = size_t{12} << 20;
  std::u16string text;
  ReserveLarge(text, kUnits);
  {
    PageWarmer warmer(text.data(), text.capacity() * sizeof(char16_t));
    for (size_t i = 0; i < kUnits; ++i) {
      text.push_back(static_cast<char16_t>(i * 40503u >> 7));
      if (i % 65536 == 0) warmer.Filled(text.size() * sizeof(char16_t));
    }
  }
  ASSERT_EQ(text.size(), kUnits);
  size_t wrong = 0;
  for (size_t i = 0; i < kUnits; ++i) wrong += text[i] != static_cast<char16_t>(i * 40503u >> 7);
  EXPECT_EQ(wrong, 0u);
}

TEST(PageWarmer, LeftBeforeTheBufferIsFilledAtAll) {
  std::u16string text;
  ReserveLarge(text, size_t{16} << 20);
  { PageWarmer warmer(text.data(), text.capacity() * sizeof(char16_t)); }
  text.assign(100, u'x');
  EXPECT_EQ(text, std::u16string(100, u'x'));
}

}  // namespace
