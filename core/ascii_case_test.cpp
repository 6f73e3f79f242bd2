#include "core/ascii_case.h"

#include <gtest/gtest.h>

namespace {

TEST(EqualsIgnoringAsciiCase, OnlyAsciiLettersFold) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"CrLf", u"cRlF"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"", u""));
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"x-1_Z", u"X-1_z"));
  // Characters one case bit apart that are no letters: '@' '`', '[' '{', '^' '~'.
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"@[^", u"`{~"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\u00e9", u"\u00c9"));  // é É
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\uff41", u"\uff21"));  // full-width a A
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\u03b1", u"\u0391"));  // Greek alpha
  // A unit whose low byte is a letter is no letter.
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"a", u"\u0141"));
}

TEST(EqualsIgnoringAsciiCase, LengthsAndPrefixes) {
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"CR", u"CRLF"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"CRLF", u"cr"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"", u"a"));
  // A NUL is a unit like any other, not an end.
  EXPECT_FALSE(EqualsIgnoringAsciiCase(std::u16string_view(u"ja\0x", 4), u"JA"));
}

TEST(EqualsIgnoringAsciiCase, BytesAboveAsciiAreNoLetters) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Shift_JIS", "shift_jis"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC1", "\xE1"));  // Latin-1 Á á
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC1", "a"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\x81", "\xA1"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("euc", "euc-jp"));
}

}  // namespace
