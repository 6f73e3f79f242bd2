#include "engine/find_unit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Units that share a byte with the ones searched for, so a word-wise test that looked
// at only one byte of each unit, or let a lane borrow from its neighbour, would stop
// on them.
constexpr char16_t kLookAlikes[] = {0x0D0D, 0x010D, 0x0D00, 0x800D, 0x0A0D, 0x0C0D, 0xFFFF, 0x0001};

std::u16string Filler(size_t size) {
  std::u16string text(size, u'\0');
  for (size_t i = 0; i < size; ++i) text[i] = kLookAlikes[i % std::size(kLookAlikes)];
  return text;
}

TEST(FindEitherUnit, FindsTheFirstAtEveryPositionOfAWord) {
  for (size_t size = 0; size <= 26; ++size) {
    const std::u16string filler = Filler(size);
    const char16_t* begin = filler.data();
    EXPECT_EQ(FindEitherUnit(begin, begin + size, u'\r', u'\n'), begin + size) << size;
    for (size_t at = 0; at < size; ++at) {
      for (const char16_t unit : {u'\r', u'\n'}) {
        std::u16string text = filler;
        text[at] = unit;
        if (at + 3 < size) text[at + 3] = u'\r';  // a later hit does not win
        const char16_t* data = text.data();
        EXPECT_EQ(FindEitherUnit(data, data + size, u'\r', u'\n') - data,
                  static_cast<ptrdiff_t>(at))
            << size << " " << at;
        EXPECT_EQ(FindEitherUnit(data, data + at, u'\r', u'\n'), data + at);  // end respected
      }
    }
  }
}

TEST(FindEitherUnit, ExtremeUnitsAndOneUnitSearch) {
  std::u16string text(40, u'x');
  text[17] = u'\0';
  text[29] = 0xFFFF;
  const char16_t* data = text.data();
  EXPECT_EQ(FindEitherUnit(data, data + 40, u'\0', u'\0') - data, 17);
  EXPECT_EQ(FindEitherUnit(data, data + 40, 0xFFFF, 0xFFFF) - data, 29);
  EXPECT_EQ(FindEitherUnit(data + 18, data + 40, u'\0', 0xFFFF) - data, 29);
  EXPECT_EQ(FindEitherUnit(data, data + 40, 0xFFFE, 0x7FFF), data + 40);
}

}  // namespace
