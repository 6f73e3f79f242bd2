#include "ui/about/version_text.h"

#include <gtest/gtest.h>

namespace {

VersionStrings Strings(std::u16string_view fileVersion, std::u16string_view special = u"",
                       std::u16string_view privateBuild = u"") {
  VersionStrings strings;
  strings.fileVersion = fileVersion;
  strings.specialBuild = special;
  strings.privateBuild = privateBuild;
  strings.fileDescription = u"Batch converter";
  strings.legalCopyright = u"(C) the developers";
  return strings;
}

TEST(VersionText, FirstLineHasTitleVersionEmptyBracketsAndArchitecture) {
  auto text = FormatVersionText(false, u"Tidewright", Strings(u"1.5.0.2"));
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, u"Tidewright ver.1.50.02 [] (x64)\r\nBatch converter\r\n(C) the developers");
  EXPECT_EQ(FirstLine(*text, 300), u"Tidewright ver.1.50.02 [] (x64)");
}

TEST(VersionText, SpecialAndPrivateBuilds) {
  EXPECT_EQ(FirstLine(*FormatVersionText(true, u"タイドライト", Strings(u"1.5.0.2", u"beta")), 300),
            u"タイドライト ver.1.50.02β [] (x64)");
  EXPECT_EQ(FirstLine(*FormatVersionText(true, u"T", Strings(u"2.0.1.10", u"alpha", u"x")), 300),
            u"T ver.2.01.10α [x] (x64)");
  // Only the Japanese texts use the Greek letters, and only for the exact words.
  EXPECT_EQ(FirstLine(*FormatVersionText(false, u"T", Strings(u"1.0.0.0", u"beta")), 300),
            u"T ver.1.00.00beta [] (x64)");
  EXPECT_EQ(FirstLine(*FormatVersionText(true, u"T", Strings(u"1.0.0.0", u"Beta")), 300),
            u"T ver.1.00.00Beta [] (x64)");
}

TEST(VersionText, FileVersionParsing) {
  auto full = ParseFileVersion(u"1.5.0.2");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->major, 1u);
  EXPECT_EQ(full->minor, 5u);
  EXPECT_EQ(full->release, 0u);
  EXPECT_EQ(full->build, 2u);
  // The build's three-part version: the missing build number is 0.
  auto three = ParseFileVersion(u"1.0.0");
  ASSERT_TRUE(three);
  EXPECT_EQ(three->build, 0u);
  EXPECT_EQ(FirstLine(*FormatVersionText(false, u"T", Strings(u"1.0.0")), 300),
            u"T ver.1.00.00 [] (x64)");
  // Unreadable versions leave the box's text alone.
  EXPECT_FALSE(ParseFileVersion(u""));
  EXPECT_FALSE(ParseFileVersion(u"v1.0"));
  EXPECT_FALSE(ParseFileVersion(u"99999999999.1.1.1"));
  EXPECT_FALSE(FormatVersionText(false, u"T", Strings(u"")));
}

TEST(VersionText, FirstLineStopsAtControlCodesAndLimit) {
  EXPECT_EQ(FirstLine(u"abc\tdef", 300), u"abc");
  EXPECT_EQ(FirstLine(u"abcdef", 3), u"abc");
  EXPECT_EQ(FirstLine(u"", 300), u"");
}

}  // namespace
