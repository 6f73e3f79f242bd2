// Which expressions get a start filter, and which characters it lets through.
#include "engine/regex_start_filter.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/regex_traits.h"

namespace {

StartFilter FilterOf(const std::wstring& pattern, bool ignoreCase = false) {
  const PatternTraits traits;
  return FindStartFilter(pattern, ignoreCase, traits);
}

// The ASCII characters a filter admits, as a string.
std::string AdmittedAscii(const StartFilter& filter) {
  std::string admitted;
  for (unsigned c = 0; c < 128; ++c) {
    if (filter.Admits(c)) admitted.push_back(static_cast<char>(c));
  }
  return admitted;
}

TEST(RegexStartFilter, AdmitsExactlyTheFirstCharacters) {
  const struct {
    std::wstring pattern;
    std::string ascii;
    bool nonAscii;
  } cases[] = {
      {L"[0-9]{3}", "0123456789", false},
      {L"\\d{3}", "0123456789", true},
      {L"\\d+x", "0123456789", true},
      {L"[a-c]x", "abc", false},
      {L"[-a]", "-a", false},
      {L"[a-]{1,}", "-a", false},
      {L"[\\].]", ".]", false},
      {L"[[:digit:]x]", "0123456789x", true},
      {L"\\.\\d", ".", false},
      {L"z(a)\\1", "z", false},
      {L"\u3042+", "", true},
      {L"[a-\u3042]", "abcdefghijklmnopqrstuvwxyz{|}~\x7f", true},
  };
  for (const auto& one : cases) {
    const StartFilter filter = FilterOf(one.pattern);
    ASSERT_TRUE(filter.active) << std::string(one.pattern.begin(), one.pattern.end());
    EXPECT_EQ(AdmittedAscii(filter), one.ascii);
    EXPECT_EQ(filter.Admits(0x3042), one.nonAscii);
    EXPECT_EQ(filter.Admits(0x1F600), one.nonAscii);
  }
}

TEST(RegexStartFilter, NegationsAdmitTheRestAndEverythingBeyondAscii) {
  const StartFilter notLower = FilterOf(L"[^a-z]+");
  ASSERT_TRUE(notLower.active);
  EXPECT_FALSE(notLower.Admits('a'));
  EXPECT_FALSE(notLower.Admits('z'));
  EXPECT_TRUE(notLower.Admits('A'));
  EXPECT_TRUE(notLower.Admits(0));
  EXPECT_TRUE(notLower.Admits(0xFF41));
  const StartFilter notDigit = FilterOf(L"\\D");
  ASSERT_TRUE(notDigit.active);
  EXPECT_FALSE(notDigit.Admits('5'));
  EXPECT_TRUE(notDigit.Admits(' '));
  EXPECT_TRUE(notDigit.Admits(0xFF15));
  // \w takes the underscore along with letters and digits.
  const StartFilter word = FilterOf(L"\\w+");
  EXPECT_TRUE(word.Admits('_'));
  EXPECT_FALSE(word.Admits('-'));
}

// Each of these could start a match elsewhere than at its first element, match nothing, or
// is not read closely enough to tell: none may get a filter.
TEST(RegexStartFilter, GivesUpWhereTheStartIsNotCertain) {
  for (const std::wstring pattern :
       {L"", L"a|b", L"[0-9]{3}|x", L"x?y", L"x*y", L"[0-9]{0,3}", L"a{0}b", L"a{,2}",
        L"a\\Kb", L"\\Ga", L"a\\Gb", L"(a)", L"a(?=b)", L"a(?<=a)", L"a(*ACCEPT)", L".a",
        L"^a", L"$", L"\\bx", L"\\x41", L"\\Qa|b\\E", L"a\\Q|", L"[[=a=]]", L"[[.a.]]",
        L"[]a]", L"[a", L"[\\d-z]", L"[a-c-e]", L"[z-a]", L"[[:^alpha:]]", L"[[:nosuch:]]",
        L"a(b|c)", L"a[|]|b", L"\\", L"a\\"}) {
    EXPECT_FALSE(FilterOf(pattern).active) << std::string(pattern.begin(), pattern.end());
  }
  EXPECT_FALSE(FilterOf(L"[0-9]{3}", true).active);
}

}  // namespace
