// The table path for code page 932 must answer exactly as ICU's windows-932 converter with
// the codec's settings, but for bytes 00..7F, which map to U+0000..U+007F one to one as on
// Windows. Compared over every single byte, every byte pair and every BMP unit, then on
// texts longer than one conversion block.
#include "engine/codec/cp932_table.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "engine/two_halves.h"

namespace {

// ICU's windows-932 swaps three control codes among themselves; Windows does not. What
// ICU calls u, Windows calls WindowsUnit(u), and the other way round for IcuUnit.
char16_t WindowsUnit(char16_t unit) {
  return unit == 0x1C ? 0x1A : unit == 0x7F ? 0x1C : unit == 0x1A ? 0x7F : unit;
}
char16_t IcuUnit(char16_t unit) {
  return unit == 0x1A ? 0x1C : unit == 0x1C ? 0x7F : unit == 0x7F ? 0x1A : unit;
}

class Cp932TableTest : public testing::Test {
 protected:
  void SetUp() override {
    table_ = Cp932Table::Get();
    ASSERT_NE(table_, nullptr);
    UErrorCode error = U_ZERO_ERROR;
    converter_ = ucnv_open("windows-932", &error);
    ASSERT_TRUE(U_SUCCESS(error));
  }
  void TearDown() override { ucnv_close(converter_); }

  // ICU's answer with the codec's decoding settings; false on any bad sequence.
  bool IcuDecode(std::string_view bytes, std::u16string* text) {
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter_);
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    text->assign(bytes.size() + 1, u'\0');
    const int32_t units = ucnv_toUChars(converter_, text->data(), static_cast<int32_t>(text->size()),
                                        bytes.data(), static_cast<int32_t>(bytes.size()), &error);
    if (U_FAILURE(error)) return false;
    text->resize(static_cast<size_t>(units));
    for (char16_t& unit : *text) unit = WindowsUnit(unit);
    return true;
  }

  // ICU's answer with the codec's encoding settings: no fallbacks, "?" substituted (and
  // default-ignorable units dropped).
  std::string IcuEncode(std::u16string_view windowsText) {
    std::u16string text(windowsText);
    for (char16_t& unit : text) unit = IcuUnit(unit);
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter_);
    ucnv_setFallback(converter_, false);
    ucnv_setSubstString(converter_, u"?", 1, &error);
    ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr,
                          &error);
    std::string bytes(text.size() * 2 + 8, '\0');
    const int32_t length = ucnv_fromUChars(converter_, bytes.data(), static_cast<int32_t>(bytes.size()),
                                           text.data(), static_cast<int32_t>(text.size()), &error);
    EXPECT_TRUE(U_SUCCESS(error));
    bytes.resize(static_cast<size_t>(length));
    return bytes;
  }

  // The bytes EncodeInPlace leaves at the start of a copy of text.
  std::string EncodedInPlace(std::u16string text, bool* substituted) {
    const size_t length = table_->EncodeInPlace(text.data(), text.size(), substituted);
    EXPECT_LE(length, 2 * text.size());
    return std::string(reinterpret_cast<const char*>(text.data()), length);
  }

  // Both encoders give ICU's bytes for a text with characters the code page lacks, and
  // say that they substituted.
  void ExpectSubstitutedAsIcuDoes(const std::u16string& text) {
    std::string bytes;
    bool substituted = false;
    table_->Encode(text, &bytes, &substituted);
    EXPECT_EQ(bytes, IcuEncode(text));
    EXPECT_TRUE(substituted);
    substituted = false;
    EXPECT_EQ(EncodedInPlace(text, &substituted), bytes);
    EXPECT_TRUE(substituted);
  }

  const Cp932Table* table_ = nullptr;
  UConverter* converter_ = nullptr;
};

TEST_F(Cp932TableTest, DecodesEveryByteAndPairAsIcuDoes) {
  for (int first = 0; first < 256; ++first) {
    for (int second = -1; second < 256; ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (second >= 0) bytes += static_cast<char>(second);
      std::u16string expected, actual = u"untouched";
      const bool icuOk = IcuDecode(bytes, &expected);
      ASSERT_EQ(table_->Decode(bytes, &actual), icuOk) << first << " " << second;
      if (icuOk) {
        ASSERT_EQ(actual, expected) << first << " " << second;
      } else {
        ASSERT_EQ(actual, u"untouched");
      }
    }
  }
}

TEST_F(Cp932TableTest, EncodesEveryUnitAsIcuDoes) {
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const std::u16string text(1, static_cast<char16_t>(unit));
    std::string actual;
    bool substituted = false;
    table_->Encode(text, &actual, &substituted);
    const std::string expected = IcuEncode(text);
    ASSERT_EQ(actual, expected) << std::hex << unit;
    // An unwritable unit is reported whether it became "?" or nothing; "?" itself is not.
    ASSERT_EQ(substituted, expected.empty() || (unit != u'?' && expected == "?"))
        << std::hex << unit;
  }
  // All of them in one text, so that pairs, unwritable and dropped units meet the
  // eight-at-a-time path at every place in its eight.
  std::u16string all;
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (unit < 0xD800 || unit > 0xDFFF) all += static_cast<char16_t>(unit);
  }
  for (size_t skip = 0; skip < 8; ++skip) {
    const std::u16string text = all.substr(skip);
    std::string actual;
    bool substituted = false;
    table_->Encode(text, &actual, &substituted);
    EXPECT_EQ(actual, IcuEncode(text)) << skip;
    EXPECT_TRUE(substituted);
  }
}

TEST_F(Cp932TableTest, ControlCodesMapOneToOneAsOnWindows) {
  // Ctrl-Z (1A) above all: old files end with it, and it is no control code to delete.
  std::u16string text;
  ASSERT_TRUE(table_->Decode("\x1A\x1C\x7F", &text));
  EXPECT_EQ(text, u"\x1A\x1C\x7F");
  std::string bytes;
  bool substituted = true;
  table_->Encode(text, &bytes, &substituted);
  EXPECT_EQ(bytes, "\x1A\x1C\x7F");
  EXPECT_FALSE(substituted);
}

TEST_F(Cp932TableTest, SurrogatesBecomeOneQuestionMarkEachAsIcuMakesThem) {
  const std::u16string texts[] = {
      u"a\U0001F600b",   u"\xDC00",        u"\xD800",          u"\xD800\xD800" u"a",
      u"\xDC00\xD800\xDC00", u"x\xD83D",  u"\xD83D\xDE00\xD83D\xDE00\xDFFF",
  };
  for (const std::u16string& text : texts) ExpectSubstitutedAsIcuDoes(text);
}

TEST_F(Cp932TableTest, LongTextsMatchAcrossBlockBoundaries) {
  // Odd-length runs put double-byte characters across every block boundary.
  std::string bytes;
  for (int i = 0; bytes.size() < 300000; ++i) {
    bytes += "a\x93\xfa\x96\x7b\x82\xa0 ";
    if (i % 3 == 0) bytes += "\xb1";  // half-width katakana, one byte
  }
  std::u16string expected, actual;
  ASSERT_TRUE(IcuDecode(bytes, &expected));
  ASSERT_TRUE(table_->Decode(bytes, &actual));
  EXPECT_EQ(actual, expected);

  std::string encoded;
  bool substituted = true;
  table_->Encode(actual, &encoded, &substituted);
  EXPECT_EQ(encoded, bytes);
  EXPECT_FALSE(substituted);

  substituted = true;
  EXPECT_EQ(EncodedInPlace(actual, &substituted), bytes);
  EXPECT_FALSE(substituted);

  // A lead byte with nothing after it, at the very end of a long text.
  EXPECT_FALSE(table_->Decode(bytes + "\x93", &actual));
}

TEST_F(Cp932TableTest, AsciiRunsOfEveryLengthBetweenOtherCharacters) {
  // Runs of 0 to 19 ASCII bytes, so the eight-at-a-time paths start and stop at every
  // offset, between pairs and single-byte katakana; ICU is the reference both ways.
  std::string bytes;
  for (int run = 0; run < 20; ++run) {
    for (int i = 0; i < run; ++i) bytes += static_cast<char>(i % 2 ? 0x7E : 0x21 + run);
    bytes += run % 3 ? "\x82\xa0" : "\xb1";
  }
  bytes += std::string(13, '\\');  // an ASCII run at the very end
  for (size_t skip = 0; skip < 8; ++skip) {
    const std::string part = bytes.substr(skip);
    std::u16string expected, actual;
    if (!IcuDecode(part, &expected)) continue;  // cut inside a pair
    ASSERT_TRUE(table_->Decode(part, &actual)) << skip;
    EXPECT_EQ(actual, expected) << skip;
    std::string encoded;
    bool substituted = true;
    table_->Encode(actual, &encoded, &substituted);
    EXPECT_EQ(encoded, IcuEncode(actual)) << skip;
    EXPECT_FALSE(substituted);
    EXPECT_EQ(EncodedInPlace(actual, &substituted), encoded) << skip;
  }
}

TEST_F(Cp932TableTest, RandomTextsDecodeAsIcuDoes) {
  // Runs of lead bytes of every length and bad bytes (a lone lead, a bad second byte, 80,
  // A0, FD..FF) here and there: texts of up to 300 bytes, so the eight-at-a-time steps
  // and the byte-wise end both see them.
  std::mt19937 random(20261207);
  const unsigned char pieces[][2] = {{'a', 0},  {'\n', 0}, {0x82, 0xA0}, {0x88, 0x9F},
                                     {0x81, 0x40}, {0xE0, 0x9F}, {0xFC, 0x4B}, {0xB1, 0},
                                     {0x9F, 0xFC}, {0x81, 0x81}};
  const unsigned char bad[] = {0x80, 0xA0, 0xFD, 0xFF, 0x81, 0x85};
  int failures = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const size_t length = random() % 300;
    const bool spoil = random() % 4 == 0;
    while (bytes.size() < length) {
      const auto& piece = pieces[random() % std::size(pieces)];
      bytes += static_cast<char>(piece[0]);
      if (piece[1] != 0) bytes += static_cast<char>(piece[1]);
    }
    if (spoil && !bytes.empty()) {
      bytes[random() % bytes.size()] = static_cast<char>(bad[random() % std::size(bad)]);
    }
    std::u16string expected, actual = u"untouched";
    const bool icuOk = IcuDecode(bytes, &expected);
    ASSERT_EQ(table_->Decode(bytes, &actual), icuOk) << round;
    // In place, behind room for the units at an odd offset, as after a one-byte mark.
    std::u16string buffer(bytes.size() + 1, u'\0');
    std::memcpy(reinterpret_cast<char*>(buffer.data()) + bytes.size() + 1, bytes.data(),
                bytes.size());
    ASSERT_EQ(table_->DecodeInPlace(&buffer, bytes.size() + 1, bytes.size()), icuOk) << round;
    if (icuOk) {
      ASSERT_EQ(actual, expected) << round;
      ASSERT_EQ(buffer, expected) << round;
    } else {
      ++failures;
      ASSERT_EQ(actual, u"untouched") << round;
    }
  }
  EXPECT_GT(failures, 1000);  // the bad bytes did their part
}

TEST_F(Cp932TableTest, LargeTextsDecodeInPlaceInTwoPartsAsInOne) {
  // More than 8 MB, so the second half goes to a helper thread; it starts at the first
  // line end or space after the middle.
  std::string valid;
  while (valid.size() < (9u << 20)) valid += "\x93\xfa\x96\x7b\x8c\xea abc\t\x82\xa0\x82\xa2\n";
  const size_t split = valid.find_first_of(" \t\n", valid.size() / 2);
  std::string leadBeforeSplit = valid;
  // A character, then a lead byte whose second byte would be the split.
  leadBeforeSplit[split - 2] = 'a';
  leadBeforeSplit[split - 1] = '\x82';
  std::string badFirst = valid, badSecond = valid;
  badFirst[1000] = '\x80';
  badSecond[valid.size() - 1000] = '\xFF';
  for (const std::string* bytes : {&valid, &leadBeforeSplit, &badFirst, &badSecond}) {
    std::u16string expected;
    const bool ok = table_->Decode(*bytes, &expected);
    EXPECT_EQ(ok, bytes == &valid);
    // Laid out as the reader does: the bytes behind room for as many units, right
    // behind it or after a mark of three bytes.
    const size_t count = bytes->size();
    for (const size_t offset : {count, count + 3}) {
      std::u16string buffer((offset + count + 1) / 2, u'\0');
      std::memcpy(reinterpret_cast<char*>(buffer.data()) + offset, bytes->data(), count);
      ASSERT_EQ(table_->DecodeInPlace(&buffer, offset, count), ok);
      if (ok) {
        EXPECT_TRUE(buffer == expected);
      }
    }
  }
}

TEST_F(Cp932TableTest, LargeTextsDecodeInPlaceWithoutAHelperThread) {
  // With no thread to be had the two halves run one after the other: the same units, and
  // a bad byte in either half still fails the whole text.
  std::string valid;
  while (valid.size() < (9u << 20)) valid += "\x82\xa0 \x93\xfa\x96\x7b xyz\r\n";
  std::string badFirst = valid, badSecond = valid;
  badFirst[7] = '\x80';
  badSecond[valid.size() - 7] = '\xFF';  // after a lead byte
  std::u16string expected;
  ASSERT_TRUE(table_->Decode(valid, &expected));
  NoHelperThreads none;
  for (const std::string* bytes : {&valid, &badFirst, &badSecond}) {
    const size_t count = bytes->size();
    std::u16string buffer(count, u'\0');
    std::memcpy(reinterpret_cast<char*>(buffer.data()) + count, bytes->data(), count);
    ASSERT_EQ(table_->DecodeInPlace(&buffer, count, count), bytes == &valid);
    if (bytes == &valid) {
      EXPECT_TRUE(buffer == expected);
    }
  }
}

TEST_F(Cp932TableTest, SurrogatesAnywhereInLongTexts) {
  // Unwritable and dropped units among the eight-unit steps, pairs here and there, one
  // across the boundary of the first conversion block (65,536 units).
  std::u16string text;
  for (int i = 0; text.size() < 200000; ++i) text += i % 5 ? u"日a\u00e9" : u"\u200bｱ";
  for (size_t at : {size_t{17}, size_t{65535}, size_t{100001}, text.size() - 1}) {
    text[at] = 0xD83D;
    if (at + 1 < text.size()) text[at + 1] = 0xDE00;
  }
  ExpectSubstitutedAsIcuDoes(text);
}

}  // namespace

TEST_F(Cp932TableTest, ByteCountsWithLookAlikesAreIcusAnswers) {
  // Counted when the program was built; ICU asked now, with the same settings, must agree
  // for every unit.
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setFallback(converter_, true);
  ucnv_setSubstString(converter_, u"?", 1, &error);
  ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr,
                        &error);
  ASSERT_TRUE(U_SUCCESS(error));
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    const auto single = static_cast<UChar>(unit);
    ucnv_resetFromUnicode(converter_);
    error = U_ZERO_ERROR;
    char out[8];
    const int32_t length = ucnv_fromUChars(converter_, out, sizeof out, &single, 1, &error);
    ASSERT_EQ(Cp932Table::BytesWithLookAlikes(single), U_FAILURE(error) ? 0 : length)
        << std::hex << unit;
  }
}
