// The ways other encoders spell ISO-2022-JP and UTF-7 text, and bytes that are no valid
// spelling, read through the system's converter: both builds must give the same text,
// or both refuse.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/codec/codec.h"

namespace {

constexpr bool kOnWindows = sizeof(wchar_t) == 2;
constexpr std::nullopt_t kRefused = std::nullopt;

struct Spelling {
  uint32_t codePage;
  std::string bytes;
  std::optional<std::u16string> text;  // kRefused when the bytes must not decode
};

const std::vector<Spelling>& Corpus() {
  static const std::vector<Spelling> corpus = {
      // ISO-2022-JP as written by the usual encoders and by others.
      {50220, "A\x1b$BF|K\\\x1b(B", u"A日本"},
      {50220, "a\x1b(J\\~b\x1b(B", u"a\\~b"},  // JIS-Roman read as ASCII
      {50220, "\x1b$@F|\x1b(B", u"日"},
      {50220, "\x1b$(BF|\x1b$(@K\\\x1b(B", u"日本"},
      {50220, "\x1b$B\x1b$BF|\x1b(B\x1b(Bx\x1b(J\x1b(B", u"日x"},  // redundant escapes
      {50220, "x\x1b$BF|", u"x日"},                              // no return to ASCII
      {50220, "\x1b$BF|\r\n\x1b$BK\\\x1b(B\r\n", u"日\r\n本\r\n"},
      {50220, "\x1b$BF| K\\\t\x1b(B", u"日 本\t"},
      {50220, "\x1b(I12\x1b(B", u"ｱｲ"},
      {50220, "\x1b)Ia\x0e" "12\x0fz", u"aｱｲz"},
      {50220, "\x1b$B\x0e" "1\x0f" "F|\x1b(B", u"ｱ日"},
      {50220, "\x1b(I1\r\n\x1b(I2\x0e" "3\n\x0e" "4\x0f", u"ｱ\r\nｲｳ\nｴ"},
      // Code page 932's two-byte set: its symbols, NEC's row 13 and IBM's kanji in rows
      // 89-92; the first and last pairs of the two lead-byte ranges and cells 5F/60.
      {50220, "\x1b$B!A!]-!y!\x1b(B", u"\uff5e\uff0d\u2460\u7e8a"},
      {50220, "\x1b$B!_!`^~_!t&0!\x1b(B", u"×÷\u6ecc\u6f3e\u7199\u4e9c"},
      // Not ISO-2022-JP.
      {50220, "a\x80z", kRefused},
      {50220, "\x1b$BF|\xc6\xfc\x1b(B", kRefused},
      {50220, "a\x1b(Zb", kRefused},          // unknown escape sequence
      {50220, "\x1b$(DB!\x1b(B", kRefused},   // JIS X 0212, which 932 cannot map
      {50220, "\x1b$BF\x1b(B", kRefused},     // odd byte before ESC
      {50220, "\x1b$BF|K", kRefused},         // pair cut by the end
      {50220, "\x1b$BF\r\n|\x1b(B", kRefused},  // pair cut by a line end
      {50220, "abc\x1b", kRefused},           // ESC at the end
      {50220, "abc\x1b$", kRefused},
      {50220, "\x1b$B\"/\x1b(B", kRefused},   // a cell with no character
      {50220, "\x1b$B~~\x1b(B", kRefused},
      {50220, "\x1b(I`\x1b(B", kRefused},     // not a katakana byte
      // After a line end, what the set in force was is not clear until it is named again.
      {50220, "\x1b$BF|\r\nK\\\x1b(B", kRefused},
      {50220, "\x1b(I1\r\n2\x1b(B", kRefused},
      {50220, "\x1b$B\x0e" "1\r\n\x0f" "F|", kRefused},
      // UTF-7 as written by the usual encoders and by others.
      {65000, "A+ZeU-", u"A日"},
      {65000, "a!\"#$%&*;<=>@[]^_{}|~\\b", u"a!\"#$%&*;<=>@[]^_{}|~\\b"},
      {65000, "1 +- 1\t\r\n", u"1 + 1\t\r\n"},
      {65000, "+ZeVnLIqe-", u"日本語"},
      {65000, "+ZeU x+ZeU.+ZeU", u"日 x日.日"},  // runs ended by other characters
      {65000, "+ZeU--", u"日-"},
      {65000, "+AGEAYgBj-", u"abc"},
      {65000, "+2D3eAA-", u"\U0001F600"},
      // Not UTF-7.
      {65000, "a\x80", kRefused},
      {65000, "+ZeV-", kRefused},   // padding bits not zero
      {65000, "+ZQ-", kRefused},    // less than a unit
      {65000, "+ZeUA-", kRefused},  // a character too many
      {65000, "+2D0-", kRefused},   // lone high surrogate
      {65000, "+3gA-", kRefused},   // lone low surrogate
      {65000, "+2D0-+3gA-", kRefused},  // a pair split over two runs
      {65000, "a+", kRefused},
      {65000, "+!", kRefused},
  };
  return corpus;
}

class SpellingsTest : public testing::Test {
 protected:
  void SetUp() override {
    uint32_t failure = 0;
    codec_ = CreateSystemCodec(&failure);
    ASSERT_NE(codec_, nullptr) << "failure code " << failure;
  }
  std::unique_ptr<Codec> codec_;
};

TEST_F(SpellingsTest, EveryValidSpellingDecodesAndInvalidBytesAreRefused) {
  for (const Spelling& spelling : Corpus()) {
    // Windows reads 50221 and 50222 with the same rules; ICU has neither.
    std::vector<uint32_t> codePages = {spelling.codePage};
    if (kOnWindows && spelling.codePage == 50220) codePages = {50220, 50221, 50222};
    for (uint32_t codePage : codePages) {
      SCOPED_TRACE(testing::Message() << codePage << " " << testing::PrintToString(spelling.bytes));
      WideText text = u"untouched";
      const bool decoded = codec_->Decode(codePage, spelling.bytes, &text);
      EXPECT_EQ(decoded, spelling.text.has_value());
      EXPECT_EQ(text, spelling.text.value_or(u"untouched"));
    }
  }
}

// Every pair of JIS X 0208's rows, as ISO-2022-JP's pairs are read through code page 932:
// what decodes must be what the encoder writes for it. (Row 13, NEC's, repeats symbols
// of row 2, which the encoder writes in row 2.)
TEST_F(SpellingsTest, Iso2022JpPairsComeBackFromTheEncoder) {
  std::string pairs;
  std::u16string text;
  for (int row = 0x21; row <= 0x74; ++row) {
    if (row == 0x2D) continue;
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const std::string pair = {static_cast<char>(row), static_cast<char>(cell)};
      WideText unit;
      if (!codec_->Decode(50220, "\x1b$B" + pair, &unit)) continue;
      ASSERT_EQ(unit.size(), 1u) << std::hex << row << " " << cell;
      pairs += pair;
      text += unit;
    }
  }
  EXPECT_EQ(text.size(), 6879u);  // JIS X 0208's characters
  std::string bytes;
  bool substituted = true;
  ASSERT_EQ(codec_->Encode(50220, text, &bytes, &substituted), EncodeAnswer::kConverted);
  EXPECT_FALSE(substituted);
  EXPECT_EQ(bytes, "\x1b$B" + pairs + "\x1b(B");
}

// A file the program writes must read back: as the same text when nothing was put in
// its place, and at all when "?" was.
TEST_F(SpellingsTest, WhatTheEncoderWritesReadsBack) {
  const struct {
    uint32_t codePage;
    std::u16string text;
  } cases[] = {
      {50220, u"日\u7e8a本"},  // IBM's kanji in NEC's rows 89-92
      {50220, u"\u5fde"},
      {50220, u"ｱｲ日"},
      {50220, u"\u2460~\\"},
      {50220, u"日\r\n本\nｱ\r\nｲ\t日"},  // line ends inside a set
      {65000, u"a\xd800" u"b"},
      {65000, u"\xdc00"},
      {65000, u"\U0001F600~\\!+-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.codePage << " " << testing::PrintToString(c.text));
    std::string bytes;
    bool substituted = false;
    ASSERT_EQ(codec_->Encode(c.codePage, c.text, &bytes, &substituted), EncodeAnswer::kConverted);
    WideText back;
    ASSERT_TRUE(codec_->Decode(c.codePage, bytes, &back)) << testing::PrintToString(bytes);
    if (!substituted) {
      EXPECT_EQ(back, c.text);
    }
  }
}

}  // namespace
