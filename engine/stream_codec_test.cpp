#include "engine/stream_codec.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/code_pages.h"
#include "tests/test_support.h"

using namespace std::string_literals;

namespace {

// Characters of one to four bytes in UTF-8, a surrogate pair, a half-width katakana and
// double-byte characters of code page 932 (whose second bytes look like ASCII: 表 95 5C).
const std::u16string kText = u"a\u00e9\u65e5\U0001F600b\uff71\u8868\u30bd\r\nz";
// What code page 932 holds of it.
const std::u16string kText932 = u"a\u65e5b\uff71\u8868\u30bd\r\nz\u00a7";

class StreamCodecTest : public testing::Test {
 protected:
  void SetUp() override {
    uint32_t failure = 0;
    codec_ = CreateSystemCodec(&failure);
    ASSERT_NE(codec_, nullptr);
  }

  // The pages that decode in pieces on this platform.
  std::vector<uint32_t> Pages() {
    std::vector<uint32_t> pages;
    for (uint32_t page : {kCodePageUtf8, kCodePageUtf16Le, kCodePageUtf16Be, kCodePageShiftJis}) {
      if (StreamDecoder::Decodes(*codec_, page)) pages.push_back(page);
    }
    return pages;
  }

  // Decodes bytes cut at the given places; false when the decoder refused them or they
  // ended inside a character.
  bool DecodeCut(uint32_t page, const std::string& bytes, const std::vector<size_t>& cuts,
                 WideText* out) {
    StreamDecoder decoder(*codec_, page);
    out->clear();
    size_t at = 0;
    std::vector<size_t> ends = cuts;
    ends.push_back(bytes.size());
    for (size_t end : ends) {
      WideText piece;
      if (decoder.Feed(std::string_view(bytes).substr(at, end - at), &piece) !=
          DecodeAnswer::kDecoded) {
        return false;
      }
      out->append(piece);
      at = end;
    }
    WideText last;
    if (decoder.Finish(&last) != DecodeAnswer::kDecoded) return false;
    out->append(last);
    return true;
  }

  std::unique_ptr<Codec> codec_;
};

// The text encoded in two pieces cut at `cut`, then the end: the bytes and whether "?"
// stood in for a character.
struct PieceEncoding {
  std::string bytes;
  bool substituted = false;
};
PieceEncoding EncodeCutInTwo(Codec& codec, uint32_t page, const std::u16string& text,
                             size_t cut) {
  PieceEncoding out;
  StreamEncoder encoder(codec, page);
  std::string buffer;
  WideText first = text.substr(0, cut), second = text.substr(cut), empty;
  for (auto [part, last] : {std::pair{&first, false}, {&second, false}, {&empty, true}}) {
    std::string_view bytes;
    EXPECT_EQ(encoder.Feed(*part, last, &buffer, &bytes), EncodeAnswer::kConverted)
        << page << " cut at " << cut;
    out.bytes += bytes;
  }
  out.substituted = encoder.substituted();
  return out;
}

}  // namespace

TEST_F(StreamCodecTest, DecodingCutAtEveryByteGivesTheWholeText) {
  const std::vector<uint32_t> pages = Pages();
  ASSERT_GE(pages.size(), 3u) << "UTF-8 and UTF-16 decode in pieces everywhere";
  for (uint32_t page : pages) {
    const std::u16string& sample = page == kCodePageShiftJis ? kText932 : kText;
    std::string bytes;
    bool substituted = false;
    ASSERT_EQ(codec_->Encode(page, sample, &bytes, &substituted), EncodeAnswer::kConverted);
    ASSERT_FALSE(substituted) << page;
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
      WideText text;
      ASSERT_TRUE(DecodeCut(page, bytes, {cut}, &text)) << page << " cut at " << cut;
      EXPECT_EQ(text, sample) << page << " cut at " << cut;
      // And every cut after it too: one byte a piece at the end.
      std::vector<size_t> cuts;
      for (size_t k = cut; k < bytes.size(); ++k) cuts.push_back(k);
      ASSERT_TRUE(DecodeCut(page, bytes, cuts, &text)) << page;
      EXPECT_EQ(text, sample) << page << " bytes one by one from " << cut;
    }
  }
}

TEST_F(StreamCodecTest, InvalidBytesFailWhereverTheCutFalls) {
  struct Bad {
    uint32_t page;
    std::string bytes;
  };
  std::vector<Bad> bad = {
      {kCodePageUtf8, "ab\xe6\x97"s},             // ends inside a character
      {kCodePageUtf8, "a\xe6\x97" "b\xe6\x97\xa5"s},  // a character cut short
      {kCodePageUtf8, "a\x80\x80\x80\x80\x80z"s},  // continuation bytes with no lead
      {kCodePageUtf8, "a\xed\xa0\x80z"s},         // an encoded surrogate
      {kCodePageUtf8, "a\xc0\xafz"s},             // an overlong form
      {kCodePageUtf16Le, "a\0b"s},                 // half a unit at the end
  };
  if (StreamDecoder::Decodes(*codec_, kCodePageShiftJis)) {
    bad.push_back({kCodePageShiftJis, "a\x81"s});       // a lead byte at the end
    bad.push_back({kCodePageShiftJis, "a\x81\x0a" "b"s});  // a lead byte before a line end
  }
  for (const Bad& b : bad) {
    WideText whole;
    ASSERT_FALSE(codec_->Decode(b.page, b.bytes, &whole)) << testing::PrintToString(b.bytes);
    for (size_t cut = 0; cut <= b.bytes.size(); ++cut) {
      WideText text;
      EXPECT_FALSE(DecodeCut(b.page, b.bytes, {cut}, &text))
          << b.page << " " << testing::PrintToString(b.bytes) << " cut at " << cut;
    }
  }
}

TEST_F(StreamCodecTest, EncodingCutAtEveryUnitGivesTheWholeBytes) {
  // A pair cut in two would be two lone halves, each a "?".
  const std::u16string text = kText + u"\xD800x\xDC00" + u"\U0001F600";
  for (uint32_t page : {kCodePageUtf8, kCodePageUtf16Le, kCodePageUtf16Be, kCodePageShiftJis}) {
    if (!codec_->EncodesPieces(page)) {
      EXPECT_EQ(page, kCodePageShiftJis) << "the Unicode pages encode in pieces everywhere";
      continue;
    }
    std::string whole;
    bool wholeSubstituted = false;
    ASSERT_EQ(codec_->Encode(page, text, &whole, &wholeSubstituted), EncodeAnswer::kConverted);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
      const PieceEncoding pieces = EncodeCutInTwo(*codec_, page, text, cut);
      EXPECT_EQ(pieces.bytes, whole) << page << " cut at " << cut;
      EXPECT_EQ(pieces.substituted, wholeSubstituted) << page;
    }
  }
}

TEST_F(StreamCodecTest, AHighSurrogateAtTheEndIsWrittenAtTheEnd) {
  StreamEncoder encoder(*codec_, kCodePageUtf8);
  std::string buffer;
  std::string_view bytes;
  WideText text = u"a\xD83D";
  ASSERT_EQ(encoder.Feed(text, false, &buffer, &bytes), EncodeAnswer::kConverted);
  EXPECT_EQ(bytes, "a");
  text.clear();
  ASSERT_EQ(encoder.Feed(text, true, &buffer, &bytes), EncodeAnswer::kConverted);
  EXPECT_EQ(bytes, "?");
  EXPECT_TRUE(encoder.substituted());
}

namespace {

// Code pages of every kind the system converts: EUC-JP, single-byte ones (Latin, Cyrillic,
// an EBCDIC one), double-byte ones, and GB18030 with its four-byte characters.
constexpr uint32_t kOtherPages[] = {932, 51932, 20932, 1252, 28595, 20290, 437, 936, 949, 950, 54936};

// Bytes that are lead, trail and single bytes in one code page or another.
std::string RandomBytes(std::mt19937& random, size_t count) {
  static const unsigned char kBytes[] = {'a',  '\n', '0',  '9',  0x40, 0x5C, 0x7E, 0x7F,
                                         0x80, 0x81, 0x8E, 0x8F, 0x9F, 0xA0, 0xA1, 0xB0,
                                         0xC8, 0xDF, 0xE0, 0xEF, 0xFC, 0xFE, 0xFF, 0x0E};
  std::uniform_int_distribution<size_t> pick(0, std::size(kBytes) - 1);
  std::string bytes;
  for (size_t i = 0; i < count; ++i) bytes += static_cast<char>(kBytes[pick(random)]);
  return bytes;
}

}  // namespace

TEST_F(StreamCodecTest, OtherCodePagesDecodeInPiecesAsInOne) {
  std::mt19937 random(3);
  const std::u16string sample = kText932 + u"\u4e2d\u6587\ud55c\uae00\u00e9\u0416\r\n";
  int streamed = 0;
  for (uint32_t page : kOtherPages) {
    if (!StreamDecoder::Decodes(*codec_, page)) continue;
    ++streamed;
    // Bytes the encoder made, and random ones, valid or not: every cut and byte-by-byte
    // decoding must accept exactly what the whole decode accepts and give its text.
    std::vector<std::string> inputs;
    std::string encoded;
    bool substituted = false;
    ASSERT_EQ(codec_->Encode(page, sample, &encoded, &substituted), EncodeAnswer::kConverted);
    inputs.push_back(encoded);
    for (int i = 0; i < 60; ++i) inputs.push_back(RandomBytes(random, 1 + i % 9));
    for (const std::string& bytes : inputs) {
      WideText whole;
      const bool valid = codec_->Decode(page, bytes, &whole);
      for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        std::vector<size_t> cuts;
        for (size_t k = cut; k < bytes.size(); ++k) cuts.push_back(k);
        for (const std::vector<size_t>& at : {std::vector<size_t>{cut}, cuts}) {
          WideText text;
          const bool ok = DecodeCut(page, bytes, at, &text);
          ASSERT_EQ(ok, valid) << page << " " << testing::PrintToString(bytes) << " from " << cut;
          if (ok) {
            ASSERT_EQ(text, whole) << page << " " << testing::PrintToString(bytes);
          }
        }
      }
    }
  }
  EXPECT_GE(streamed, 6) << "EUC-JP and the single- and double-byte pages stream";
}

TEST_F(StreamCodecTest, OtherCodePagesEncodeInPiecesAsInOne) {
  std::mt19937 random(4);
  // Characters each page has, some it lacks (and some that have look-alikes), a pair
  // and lone surrogates.
  static const char16_t* kUnits[] = {u"a",      u"\r\n",   u"\u65e5", u"\uff71", u"\u00e9",
                                     u"\u0416", u"\u4e2d", u"\ud55c", u"\u00a5", u"\u203e",
                                     u"\U0001F600", u"\xD800", u"\xDC00", u"\\"};
  std::uniform_int_distribution<size_t> pick(0, std::size(kUnits) - 1);
  int streamed = 0;
  for (uint32_t page : kOtherPages) {
    if (!codec_->EncodesPieces(page)) continue;
    ++streamed;
    for (int round = 0; round < 12; ++round) {
      std::u16string text;
      for (int i = 0; i < 8; ++i) text += kUnits[pick(random)];
      std::string whole;
      bool wholeSubstituted = false;
      ASSERT_EQ(codec_->Encode(page, text, &whole, &wholeSubstituted), EncodeAnswer::kConverted);
      for (size_t cut = 0; cut <= text.size(); ++cut) {
        const PieceEncoding pieces = EncodeCutInTwo(*codec_, page, text, cut);
        ASSERT_EQ(pieces.bytes, whole) << page << " cut at " << cut;
        ASSERT_EQ(pieces.substituted, wholeSubstituted) << page << " cut at " << cut;
        // The secondary encoder too, which takes a page the primary one lacks; the
        // encoder never cuts a pair.
        const bool inPair = cut > 0 && cut < text.size() && text[cut - 1] >= 0xD800 &&
                            text[cut - 1] <= 0xDBFF && text[cut] >= 0xDC00 && text[cut] <= 0xDFFF;
        if (inPair) continue;
        std::string fallback, head, tail;
        bool fallbackSubstituted = false, headSubstituted = false, tailSubstituted = false;
        uint32_t error = 0;
        const std::u16string_view all(text);
        ASSERT_TRUE(codec_->EncodeFallback(page, all, &fallback, &fallbackSubstituted, &error));
        ASSERT_TRUE(codec_->EncodeFallback(page, all.substr(0, cut), &head, &headSubstituted,
                                           &error));
        ASSERT_TRUE(codec_->EncodeFallback(page, all.substr(cut), &tail, &tailSubstituted, &error));
        ASSERT_EQ(head + tail, fallback) << page << " cut at " << cut;
        ASSERT_EQ(headSubstituted || tailSubstituted, fallbackSubstituted) << page << " cut at "
                                                                           << cut;
      }
    }
  }
  EXPECT_GE(streamed, 6) << "EUC-JP and the single- and double-byte pages stream";
}

TEST_F(StreamCodecTest, PagesWithAStateBetweenCharactersStayWhole) {
  // An escape or shift in one piece decides what the next piece's bytes mean.
  for (uint32_t page : {50220u, 50221u, 50222u, 50225u, 65000u}) {
    EXPECT_FALSE(StreamDecoder::Decodes(*codec_, page)) << page;
    EXPECT_FALSE(codec_->EncodesPieces(page)) << page;
  }
}

TEST_F(StreamCodecTest, APageThePrimaryEncoderLacksGoesToTheSecondaryInEveryPiece) {
  // The primary encoder turns the page down: each piece goes where the whole text would.
  ScriptedCodec::Script script;
  script.encodeAnswer = EncodeAnswer::kNotSupported;
  ScriptedCodec scripted(&script);
  ASSERT_TRUE(scripted.HasRealCodec());
  const std::u16string text = kText + u"\u00a5x\U0001F600";
  std::string whole;
  bool wholeSubstituted = false;
  uint32_t error = 0;
  ASSERT_TRUE(scripted.EncodeFallback(kCodePageShiftJis, text, &whole, &wholeSubstituted, &error));
  ASSERT_TRUE(wholeSubstituted);
  for (size_t cut = 0; cut <= text.size(); ++cut) {
    StreamEncoder encoder(scripted, kCodePageShiftJis);
    std::string bytes, buffer;
    std::string_view piece;
    WideText first = text.substr(0, cut), second = text.substr(cut);
    ASSERT_EQ(encoder.Feed(first, false, &buffer, &piece), EncodeAnswer::kConverted);
    bytes += piece;
    ASSERT_EQ(encoder.Feed(second, true, &buffer, &piece), EncodeAnswer::kConverted);
    bytes += piece;
    EXPECT_EQ(bytes, whole) << "cut at " << cut;
    EXPECT_TRUE(encoder.substituted()) << "cut at " << cut;
  }
  // When the secondary one fails too, that is not a piece written as nothing.
  script.fallbackFails = true;
  StreamEncoder encoder(scripted, kCodePageShiftJis);
  std::string buffer;
  std::string_view bytes;
  WideText units = u"abc";
  EXPECT_EQ(encoder.Feed(units, true, &buffer, &bytes), EncodeAnswer::kFailed);
}
