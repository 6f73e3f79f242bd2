#include "core/encoding_catalogue.h"

#include <gtest/gtest.h>

#include "core/process_flags.h"
#include "tests/test_support.h"

TEST(EncodingCatalogue, TableOrderAndEndMarker) {
  const uint32_t expected[] = {0, 932, 1200, 1201, 65001, 65000, 51932, 50220, 20290, 0};
  for (int i = 0; i < kEncodingCount; ++i) {
    ASSERT_NE(EncodingTable[i].displayName, nullptr) << i;
    EXPECT_EQ(EncodingTable[i].codePage, expected[i]) << i;
  }
  EXPECT_EQ(EncodingTable[kEncodingCount].displayName, nullptr);
  EXPECT_EQ(CatalogueCodePage(0), 0u);
  EXPECT_EQ(CatalogueCodePage(9), 0u);
  EXPECT_EQ(CatalogueCodePage(-1), 0u);
}

TEST(EncodingCatalogue, EntryZeroTextsFollowTheLanguage) {
  ProcessStateGuard state;
  japaneseUi = false;
  EXPECT_EQ(std::u16string(InputListAutoText()), u"Automatic Detection");
  EXPECT_EQ(std::u16string(OutputListSameText()), u"None");
  // The typed-code-page entry keeps its Japanese text in English too.
  EXPECT_EQ(std::u16string(EncodingTable[9].displayName), u"その他 (右にコードページを指定)");
  japaneseUi = true;
  EXPECT_EQ(std::u16string(InputListAutoText()), u"自動判別 (あまりお勧めしません)");
  EXPECT_EQ(std::u16string(OutputListSameText()), u"読込み時と同じ");
}

TEST(ParseEncodingName, NamesInAnyAsciiCase) {
  struct Case {
    const char* name;
    int index;
  } cases[] = {{"auto", 0},      {"AUTO", 0},       {"SJIS", 1},        {"Shift-JIS", 1},
               {"unicode", 2},   {"UTF-16LE", 2},   {"utf-16be", 3},    {"UTF-8", 4},
               {"Utf-8", 4},     {"utf8", 4},       {"utf-7", 5},       {"EUC", 6},
               {"euc-jp", 6},    {"JIS", 7},        {"iso-2022-JP", 7}, {"ebcdik", 8}};
  for (const Case& c : cases) {
    uint32_t other = 77;
    EXPECT_EQ(ParseEncodingName(c.name, &other), c.index) << c.name;
    EXPECT_EQ(other, 77u) << "a name leaves the typed code page alone: " << c.name;
  }
}

TEST(ParseEncodingName, NumbersReadLikeStrtol) {
  uint32_t other = 0;
  EXPECT_EQ(ParseEncodingName("932", &other), 9);
  EXPECT_EQ(other, 932u);
  EXPECT_EQ(ParseEncodingName("65001abc", &other), 9);
  EXPECT_EQ(other, 65001u);
  EXPECT_EQ(ParseEncodingName("  +437", &other), 9);
  EXPECT_EQ(other, 437u);
  EXPECT_EQ(ParseEncodingName("99999999999", &other), 9);
  EXPECT_EQ(other, 2147483647u) << "clamped to the signed 32-bit range";
  other = 5;
  for (const char* rejected : {"utf_8", "0", "-5", "", " ", "abc", "-99999999999", "+"}) {
    EXPECT_EQ(ParseEncodingName(rejected, &other), -1) << rejected;
  }
  EXPECT_EQ(other, 5u);
}
