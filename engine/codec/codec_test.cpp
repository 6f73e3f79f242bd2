#include "engine/codec/codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/two_halves.h"
#include "tests/test_support.h"

using namespace std::string_literals;

namespace {

constexpr bool kOnWindows = sizeof(wchar_t) == 2;

const std::u16string kJapanese = u"日本語のテキスト ABC 123\r\n漢字とカタカナ、ひらがな。「全角」";
// EBCDIC Katakana has upper-case letters, digits and half-width katakana only.
const std::u16string kKatakana = u"ABC XYZ 0123 ｱｲｳｴｵ ｶﾞｷﾞ ｰ｡";

struct Page {
  uint32_t codePage;
  const std::u16string& sample;
  std::u16string shortText;
  std::string shortBytes;  // shortText in the code page
};

const std::vector<Page>& CataloguePages() {
  static const std::vector<Page> pages = {
      {932, kJapanese, u"A日本", "A\x93\xfa\x96\x7b"},
      {1200, kJapanese, u"A日", "A\0\xe5\x65"s},
      {1201, kJapanese, u"A日", "\0A\x65\xe5"s},
      {65001, kJapanese, u"A日", "A\xe6\x97\xa5"},
      {65000, kJapanese, u"A日", "A+ZeU-"},
      {51932, kJapanese, u"A日本", "A\xc6\xfc\xcb\xdc"},
      {50220, kJapanese, u"A日本", "A\x1b$BF|K\\\x1b(B"},
      {20290, kKatakana, u"A1ｱ?", "\xc1\xf1\x81\x6f"},
  };
  return pages;
}

class CodecTest : public testing::Test {
 protected:
  void SetUp() override {
    uint32_t failure = 0;
    codec_ = CreateSystemCodec(&failure);
    ASSERT_NE(codec_, nullptr) << "failure code " << failure;
  }

  // The primary encoder, then the secondary one where the primary cannot do the page;
  // the order the program uses them in.
  bool EncodeAnyWay(uint32_t codePage, std::u16string_view text, std::string* bytes,
                    bool* substituted) {
    switch (codec_->Encode(codePage, text, bytes, substituted)) {
      case EncodeAnswer::kConverted: return true;
      case EncodeAnswer::kFailed: return false;
      case EncodeAnswer::kNotSupported: break;
    }
    uint32_t error = 0;
    return codec_->EncodeFallback(codePage, text, bytes, substituted, &error);
  }

  // Whether Windows' MLang has EBCDIC depends on the installation; the kernel then
  // takes over.
  static bool PrimaryMayLack(uint32_t codePage) { return kOnWindows && codePage == 20290; }

  // Wine has no EBCDIC at all: true, after checking that the page is turned down cleanly.
  bool MissingUnderWine(uint32_t codePage) {
    if (!RunningUnderWine() || codePage != 20290) return false;
    std::string bytes;
    bool substituted = false;
    EXPECT_EQ(codec_->Encode(codePage, u"A", &bytes, &substituted),
              EncodeAnswer::kNotSupported);
    WideText text;
    EXPECT_FALSE(codec_->Decode(codePage, "\xc1", &text));
    return true;
  }

  std::unique_ptr<Codec> codec_;
};

TEST_F(CodecTest, CataloguePagesRoundTripTheirSample) {
  for (const Page& page : CataloguePages()) {
    SCOPED_TRACE(page.codePage);
    if (MissingUnderWine(page.codePage)) continue;
    std::string bytes = "stale";
    bool substituted = true;
    const EncodeAnswer answer = codec_->Encode(page.codePage, page.sample, &bytes, &substituted);
    if (!PrimaryMayLack(page.codePage)) {
      EXPECT_EQ(answer, EncodeAnswer::kConverted);
    }
    ASSERT_TRUE(EncodeAnyWay(page.codePage, page.sample, &bytes, &substituted));
    EXPECT_FALSE(substituted);
    WideText text = u"stale";
    ASSERT_TRUE(codec_->Decode(page.codePage, bytes, &text));
    EXPECT_EQ(text, page.sample);
  }
}

TEST_F(CodecTest, CataloguePagesUseTheirOwnBytes) {
  for (const Page& page : CataloguePages()) {
    SCOPED_TRACE(page.codePage);
    if (MissingUnderWine(page.codePage)) continue;
    std::string bytes;
    bool substituted = false;
    ASSERT_TRUE(EncodeAnyWay(page.codePage, page.shortText, &bytes, &substituted));
    EXPECT_EQ(bytes, page.shortBytes);
    WideText text;
    ASSERT_TRUE(codec_->Decode(page.codePage, page.shortBytes, &text));
    EXPECT_EQ(text, page.shortText);
  }
}

TEST_F(CodecTest, EmptyInputConvertsToEmptyOutput) {
  for (const Page& page : CataloguePages()) {
    SCOPED_TRACE(page.codePage);
    if (MissingUnderWine(page.codePage)) continue;
    WideText text = u"stale";
    EXPECT_TRUE(codec_->Decode(page.codePage, "", &text));
    EXPECT_TRUE(text.empty());
    std::string bytes = "stale";
    bool substituted = true;
    ASSERT_TRUE(EncodeAnyWay(page.codePage, u"", &bytes, &substituted));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(substituted);
  }
}

TEST_F(CodecTest, LongTextsConvertCompletely) {
  // Alternating scripts make ISO-2022-JP and UTF-7 switch modes at every character,
  // so the output far outgrows two bytes a unit.
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += u"a日b本\r\n"s;
  for (uint32_t codePage : {932u, 65001u, 65000u, 51932u, 50220u, 1201u}) {
    SCOPED_TRACE(codePage);
    std::string bytes;
    bool substituted = true;
    ASSERT_TRUE(EncodeAnyWay(codePage, text, &bytes, &substituted));
    EXPECT_FALSE(substituted);
    WideText back;
    ASSERT_TRUE(codec_->Decode(codePage, bytes, &back));
    EXPECT_EQ(back, text);
  }
}

TEST_F(CodecTest, DecodeRejectsBytesInvalidInTheCodePage) {
  const struct {
    uint32_t codePage;
    std::string bytes;
  } cases[] = {
      {932, "abc\x81"},                // lead byte at the end
      {932, "a\x82\x20z"},             // lead byte without a trail byte
      {65001, "a\x80"},                // stray continuation byte
      {65001, "\xc0\xaf"},             // overlong "/"
      {65001, "\xe0\x80\xaf"},         // overlong "/" in three bytes
      {65001, "\xed\xa0\x80"},         // an encoded surrogate
      {65001, "\xf4\x90\x80\x80"},     // above U+10FFFF
      {65001, "\xf5\x80\x80\x80"},     // a lead byte that never occurs
      {65001, "ok \xe6\x97"},          // cut short at the end
      {65001, "\xe6\x97z"},            // cut short in the middle
      {1200, "abc"},                   // odd length
      {1201, "a"},                     // odd length
      {51932, "A\xc6"},                // lead byte at the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.codePage << " " << testing::PrintToString(c.bytes));
    WideText text = u"untouched";
    EXPECT_FALSE(codec_->Decode(c.codePage, c.bytes, &text));
  }
}

TEST_F(CodecTest, Utf8DecodesEveryLengthAtItsLimits) {
  const std::string bytes =
      "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"
      "0123456789abcdef\xc3\xa9";  // an ASCII run longer than a word, then more
  WideText text;
  ASSERT_TRUE(codec_->Decode(65001, bytes, &text));
  EXPECT_EQ(text, u"\x7f\x80\x7ff\x800\xffff\U00010000\U0010ffff"
                  u"0123456789abcdef\xe9");
  std::string back;
  bool substituted = true;
  ASSERT_EQ(codec_->Encode(65001, text, &back, &substituted), EncodeAnswer::kConverted);
  EXPECT_EQ(back, bytes);
  EXPECT_FALSE(substituted);
}

TEST_F(CodecTest, Utf8EncodesAsciiRunsOfEveryLengthBetweenOtherCharacters) {
  // Runs of 0 to 34 ASCII units, so the eight- and sixteen-at-a-time paths start and stop
  // at every offset, between characters of two, three and four bytes and lone
  // surrogates; once as a short text and once repeated past the size where a large
  // text is encoded through a table.
  std::u16string text;
  std::string expected;
  const std::u16string others[] = {u"\xe9", u"\x3042", u"\U0001F600", u"\xdc00", u"\x7ff\x800"};
  const std::string encodings[] = {"\xc3\xa9", "\xe3\x81\x82", "\xf0\x9f\x98\x80", "?",
                                   "\xdf\xbf\xe0\xa0\x80"};
  for (int run = 0; run < 35; ++run) {
    for (int i = 0; i < run; ++i) {
      text += static_cast<char16_t>(u'A' + i);
      expected += static_cast<char>('A' + i);
    }
    text += others[run % 5];
    expected += encodings[run % 5];
  }
  text += u"0123456789";
  expected += "0123456789";
  std::u16string longText;
  std::string longExpected;
  while (longText.size() < 100000) {
    longText += text;
    longExpected += expected;
  }
  for (const auto& [units, wanted] : {std::pair{text, expected}, std::pair{longText, longExpected}}) {
    std::string bytes;
    bool substituted = false;
    ASSERT_EQ(codec_->Encode(65001, units, &bytes, &substituted), EncodeAnswer::kConverted);
    EXPECT_EQ(bytes, wanted) << units.size();
    EXPECT_TRUE(substituted);  // the lone surrogates
  }
}

TEST_F(CodecTest, Utf16KeepsLoneSurrogates) {
  const std::u16string text = u"\xd800" u"a\xdc00\xdbff" u"b\U0001F600\xdfff";
  for (uint32_t codePage : {1200u, 1201u}) {
    SCOPED_TRACE(codePage);
    std::string bytes;
    bool substituted = true;
    ASSERT_EQ(codec_->Encode(codePage, text, &bytes, &substituted), EncodeAnswer::kConverted);
    EXPECT_FALSE(substituted);
    ASSERT_EQ(bytes.size(), text.size() * 2);
    WideText back;
    ASSERT_TRUE(codec_->Decode(codePage, bytes, &back));
    EXPECT_EQ(back, text);
  }
}

TEST_F(CodecTest, EncodingInPlaceGivesTheBytesOfEncode) {
  // Surrogates (paired, lone, last) after long runs, so the table path hands the rest
  // over in the middle of a large text.
  std::u16string mixed;
  for (int i = 0; i < 30000; ++i) mixed += i % 7 ? u"日本 text\t" : u"é​";
  // Large enough to be encoded in two parts at once, with a pair across the middle.
  std::u16string large;
  while (large.size() < (9u << 19)) large += mixed;
  large[large.size() / 2 - 1] = 0xD83D;
  large[large.size() / 2] = 0xDE00;
  large[large.size() - 5] = 0xDC00;
  const std::u16string texts[] = {
      kJapanese,
      mixed,
      mixed + u"\U0001F600" + kJapanese + u"\xdc00" + mixed + u"\xd800",
      u"\xd800",
      large,
      large.substr(0, large.size() - 10),
  };
  for (uint32_t codePage : {932u, 1200u, 1201u, 65001u, 51932u}) {
    for (const std::u16string& text : texts) {
      SCOPED_TRACE(testing::Message() << codePage << " " << text.size());
      std::string expected;
      bool expectedSubstituted = false;
      ASSERT_EQ(codec_->Encode(codePage, text, &expected, &expectedSubstituted),
                EncodeAnswer::kConverted);
      WideText buffer = text;
      size_t length = 0;
      bool substituted = false;
      const EncodeAnswer answer = codec_->EncodeInPlace(codePage, &buffer, &length, &substituted);
      // UTF-8 and EUC-JP may need more bytes than the units have; the Windows converter
      // does only UTF-16 this way.
      const bool inPlace = codePage == 1200 || codePage == 1201 || (codePage == 932 && !kOnWindows);
      if (!inPlace) {
        ASSERT_EQ(answer, EncodeAnswer::kNotSupported);
        EXPECT_EQ(buffer, text);
        continue;
      }
      ASSERT_EQ(answer, EncodeAnswer::kConverted);
      EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(buffer.data()), length), expected);
      EXPECT_EQ(substituted, expectedSubstituted);
    }
  }
}

TEST_F(CodecTest, EncodingInPlaceWithoutAHelperThread) {
  // Large enough for two halves, which without a thread run one after the other: the
  // same bytes, and a substitution in either half is still reported.
  if (kOnWindows) GTEST_SKIP() << "the Windows converter encodes 932 in place not at all";
  std::u16string large;
  while (large.size() < (5u << 20)) large += u"日本語 text\tｶﾅ\r\n";
  for (const size_t at : {size_t{3}, large.size() - 3}) {
    std::u16string text = large;
    text[at] = 0xD83D;  // a lone surrogate: written as "?"
    SCOPED_TRACE(at);
    std::string expected;
    bool expectedSubstituted = false;
    ASSERT_EQ(codec_->Encode(932, text, &expected, &expectedSubstituted),
              EncodeAnswer::kConverted);
    ASSERT_TRUE(expectedSubstituted);
    NoHelperThreads none;
    WideText buffer = text;
    size_t length = 0;
    bool substituted = false;
    ASSERT_EQ(codec_->EncodeInPlace(932, &buffer, &length, &substituted),
              EncodeAnswer::kConverted);
    EXPECT_TRUE(std::string_view(reinterpret_cast<const char*>(buffer.data()), length) ==
                expected);
    EXPECT_TRUE(substituted);
  }
}

TEST_F(CodecTest, WhatItSaysItDecodesItDecodes) {
  // The reader lays a file out by these answers: a code page said to decode in place or
  // in pieces must be taken so, and one said not to must be turned down untouched.
  for (uint32_t codePage : {932u, 1200u, 1201u, 65001u, 65000u, 51932u, 50220u, 20290u, 1252u}) {
    SCOPED_TRACE(codePage);
    WideText buffer(4, u'\0');
    std::memcpy(reinterpret_cast<char*>(buffer.data()) + 4, "a\0b\0", 4);
    const DecodeAnswer inPlace = codec_->DecodeInPlace(codePage, &buffer, 4, 4);
    EXPECT_EQ(codec_->DecodesInPlace(codePage), inPlace != DecodeAnswer::kNotSupported);
    std::string pending;
    WideText text;
    const DecodeAnswer piece = codec_->DecodePiece(codePage, "ab", &pending, &text);
    EXPECT_EQ(codec_->DecodesPieces(codePage), piece != DecodeAnswer::kNotSupported);
    if (piece == DecodeAnswer::kNotSupported) {
      EXPECT_TRUE(text.empty());
    }
  }
}

TEST_F(CodecTest, DecodingInPlaceGivesTheTextOfDecode) {
  std::u16string sample;
  while (sample.size() < 300000) sample += kJapanese + u" ASCII run of some length\t";
  for (uint32_t codePage : {932u, 1200u, 1201u, 65001u}) {
    std::string valid;
    bool substituted = false;
    ASSERT_TRUE(EncodeAnyWay(codePage, sample, &valid, &substituted));
    // A lead byte with nothing after it, an odd byte count, a stray continuation byte.
    const std::string broken = valid + (codePage == 932 ? "\x82" : codePage == 65001 ? "\x80" : "x");
    const bool inPlace = codePage == 1200 || codePage == 1201 || (codePage == 932 && !kOnWindows);
    EXPECT_EQ(codec_->DecodesInPlace(codePage), inPlace) << codePage;
    for (const std::string& bytes : {valid, broken}) {
      // Bytes as the reader lays them out: at least their own length into the buffer,
      // here at an odd offset.
      for (size_t extra : {size_t{0}, size_t{3}}) {
        SCOPED_TRACE(testing::Message() << codePage << " " << bytes.size() << " " << extra);
        const size_t offset = bytes.size() + extra;
        WideText buffer((offset + bytes.size() + 1) / 2, u'\0');
        std::memcpy(reinterpret_cast<char*>(buffer.data()) + offset, bytes.data(), bytes.size());
        const WideText before = buffer;
        WideText expected;
        const bool valid = codec_->Decode(codePage, bytes, &expected);
        const DecodeAnswer answer = codec_->DecodeInPlace(codePage, &buffer, offset, bytes.size());
        if (!inPlace) {
          EXPECT_EQ(answer, DecodeAnswer::kNotSupported);
          EXPECT_EQ(buffer, before);
        } else if (valid) {
          ASSERT_EQ(answer, DecodeAnswer::kDecoded);
          EXPECT_EQ(buffer, expected);
        } else {
          EXPECT_EQ(answer, DecodeAnswer::kInvalid);
        }
      }
    }
  }
}

TEST_F(CodecTest, UnrepresentableCharactersBecomeOneQuestionMark) {
  const struct {
    uint32_t codePage;
    std::u16string text;
    std::string bytes;
  } cases[] = {
      // U+00E9 has the look-alike "e" and U+00A5 the look-alike "\"; neither may be used.
      {932, u"A\U0001F600\u4e02\u00e9\u00a5B", "A????B"},
      {932, u"\xd800" u"A\xdc00", "?A?"},
      {65001, u"a\xdc00" u"b\xd800", "a?b?"},
      {51932, u"A\U0001F600", "A?"},
      {50220, u"日\U0001F600", "\x1b$BF|\x1b(B?"},
      {20290, u"A\u00e9", "\xc1\x6f"},  // "?" is 6F in EBCDIC
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    if (MissingUnderWine(c.codePage)) continue;
    std::string bytes;
    bool substituted = false;
    ASSERT_TRUE(EncodeAnyWay(c.codePage, c.text, &bytes, &substituted));
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_TRUE(substituted);
  }
}

TEST_F(CodecTest, FallbackEncoderAlsoRefusesLookAlikes) {
  std::string bytes;
  bool substituted = false;
  uint32_t error = 0;
  ASSERT_TRUE(codec_->EncodeFallback(932, u"A\u00e9\u65e5", &bytes, &substituted, &error));
  EXPECT_EQ(bytes, "A?\x93\xfa");
  EXPECT_TRUE(substituted);
  ASSERT_TRUE(codec_->EncodeFallback(932, u"A\u65e5", &bytes, &substituted, &error));
  EXPECT_EQ(bytes, "A\x93\xfa");
  EXPECT_FALSE(substituted);
}

TEST_F(CodecTest, UnknownCodePageConvertsNothing) {
  WideText text;
  EXPECT_FALSE(codec_->Decode(12345, "abc", &text));
  EXPECT_FALSE(codec_->Decode(12345, "", &text));
  std::string bytes;
  bool substituted = false;
  EXPECT_NE(codec_->Encode(12345, u"abc", &bytes, &substituted), EncodeAnswer::kConverted);
  uint32_t error = 0;
  EXPECT_FALSE(codec_->EncodeFallback(12345, u"abc", &bytes, &substituted, &error));
  EXPECT_NE(error, 0u);
}

TEST_F(CodecTest, DetectsClearJapaneseSamples) {
  std::u16string text;
  for (int i = 0; i < 20; ++i) {
    text += u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。\r\n";
  }
  uint32_t codePage = 0;
  if (RunningUnderWine()) {
    // Wine's MLang does not implement detection.
    EXPECT_FALSE(codec_->Detect("abc", &codePage));
    return;
  }
  for (uint32_t expected : {932u, 51932u, 65001u}) {
    SCOPED_TRACE(expected);
    std::string bytes;
    bool substituted = false;
    ASSERT_TRUE(EncodeAnyWay(expected, text, &bytes, &substituted));
    codePage = 0;
    ASSERT_TRUE(codec_->Detect(bytes, &codePage));
    EXPECT_EQ(codePage, expected);
    if (kOnWindows) continue;  // how far MLang looks is its own affair
    // Behind a head of plain ASCII far longer than what the detector is shown.
    std::string head;
    while (head.size() < (3 << 20)) head += "2026-12-07 10:00:00 INFO plain ascii log line\n";
    codePage = 0;
    ASSERT_TRUE(codec_->Detect(head + bytes, &codePage));
    EXPECT_EQ(codePage, expected);
  }
}

TEST_F(CodecTest, BytesIn932CountsEachUnitOnItsOwn) {
  const struct {
    char16_t unit;
    int bytes;
  } cases[] = {
      {u'A', 1},     {u'\u3042', 2}, {u'\u3000', 2}, {u'\u65e5', 2}, {u'\uff71', 1},
      {u'\xd800', 1}, {u'\xdc00', 1}, {u"\U0001F600"[0], 1}, {u"\U0001F600"[1], 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(codec_->BytesIn932(c.unit), c.bytes) << std::hex << int{c.unit};
  }
}

}  // namespace
