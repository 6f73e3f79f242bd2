#include "engine/read_text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>

#include "engine/large_buffer.h"
#include "tests/test_support.h"

namespace {

class ReadTextFileTest : public ::testing::Test {
 protected:
  ReadTextFileTest() {
    context.host = &host;
    context.createCodec = ScriptedCodecFactory(&script);
  }

  ReadStatus Read(const std::string& bytes, int16_t index, uint32_t n = 0, int16_t kind = 0,
                  uint32_t typedCodePage = 0) {
    WriteBytes(dir / "f.txt", bytes);
    codePage = typedCodePage;
    return ReadTextFile(context, ToNative(dir / "f.txt"), &text, index, &codePage, &bom, kind, n);
  }

  TempDir dir;
  RecordingHost host;
  ScriptedCodec::Script script;
  EngineContext context;
  WideText text;
  uint32_t codePage = 0;
  uint32_t bom = 0;
};

TEST_F(ReadTextFileTest, MarkOverridesTheChosenEncoding) {
  // A Shift-JIS job reading a UTF-16 LE file with a mark.
  EXPECT_EQ(Read(std::string("\xFF\xFE\x42\x30\x41\x00", 6), 1), ReadOk);
  EXPECT_EQ(text, u"あA");
  EXPECT_EQ(codePage, 1200u);
  EXPECT_EQ(bom, 1u);

  EXPECT_EQ(Read(std::string("\xFE\xFF\x30\x42", 4), 4), ReadOk);
  EXPECT_EQ(text, u"あ");
  EXPECT_EQ(codePage, 1201u);

  EXPECT_EQ(Read("\xEF\xBB\xBF\xE3\x81\x82", 1), ReadOk);
  EXPECT_EQ(text, u"あ");
  EXPECT_EQ(codePage, 65001u);
  EXPECT_EQ(bom, 1u);

  // Without a mark the job's choice holds, and the flag is cleared again.
  EXPECT_EQ(Read("\x82\xA0", 1), ReadOk);
  EXPECT_EQ(text, u"あ");
  EXPECT_EQ(codePage, 932u);
  EXPECT_EQ(bom, 0u);
}

TEST_F(ReadTextFileTest, TypedCodePageAndDetectionFallback) {
  EXPECT_EQ(Read("\xE3\x81\x82", 9, 0, 0, 65001), ReadOk);
  EXPECT_EQ(text, u"あ");
  EXPECT_EQ(codePage, 65001u);

  script.detectResult = false;
  EXPECT_EQ(Read("\x82\xA0", 0), ReadOk);
  EXPECT_EQ(codePage, 932u) << "failed detection reads as Shift-JIS";
  EXPECT_EQ(text, u"あ");

  script.detectResult = true;
  script.detectedCodePage = 51932;
  EXPECT_EQ(Read("\xA4\xA2", 0), ReadOk);
  EXPECT_EQ(codePage, 51932u);
  EXPECT_EQ(text, u"あ");
}

TEST_F(ReadTextFileTest, NothingToConvertIsEmpty) {
  EXPECT_EQ(Read("", 1), ReadEmpty);
  EXPECT_EQ(script.created, 0) << "no converter for an empty file";
  EXPECT_EQ(Read("\xEF\xBB\xBF", 1), ReadEmpty);
  EXPECT_EQ(Read(std::string("\0\0\0", 3), 1), ReadEmpty);
  EXPECT_EQ(Read(std::string("\xFF\xFE\0\0", 4), 1), ReadEmpty);
}

TEST_F(ReadTextFileTest, NulRemovalBytesOrUnits) {
  EXPECT_EQ(Read(std::string("a\0b\0\0c\0", 7), 1), ReadOk);
  EXPECT_EQ(text, u"abc");
  EXPECT_EQ(Read(std::string("\xE3\x81\0\x82", 4), 4), ReadOk) << "NUL inside a character";
  EXPECT_EQ(text, u"あ");
  // UTF-16: only whole 00 00 units go; the 00 byte of 'A' stays; FF FE 00 00 is UTF-16 LE.
  EXPECT_EQ(Read(std::string("\xFF\xFE\0\0A\0\0\0B\0", 10), 1), ReadOk);
  EXPECT_EQ(text, u"AB");
  EXPECT_EQ(codePage, 1200u);
}

TEST_F(ReadTextFileTest, BrokenBytesAreRejectedNotSubstituted) {
  EXPECT_EQ(Read("ok \x82", 1), ReadCannotDecode) << "lead byte without trail byte";
  EXPECT_EQ(codePage, 932u);
  EXPECT_EQ(Read("a\xC3(b", 4), ReadCannotDecode);
  EXPECT_EQ(Read(std::string("\xFF\xFE" "A\0B", 5), 1), ReadCannotDecode) << "odd UTF-16";
  EXPECT_EQ(Read("abc", 9, 0, 0, 12345), ReadCannotDecode) << "unusable typed code page";
  EXPECT_EQ(codePage, 12345u);
}

TEST_F(ReadTextFileTest, LineEndingEveryNBytes) {
  EXPECT_EQ(Read("abcdefghij", 1, 4, 0), ReadOk);
  EXPECT_EQ(text, u"abcd\r\nefgh\r\nij");
  EXPECT_EQ(Read("abcdefgh", 1, 4, 0), ReadOk);
  EXPECT_EQ(text, u"abcd\r\nefgh") << "nothing after the last full chunk";
  EXPECT_EQ(Read("abcdefg", 1, 3, 1), ReadOk);
  EXPECT_EQ(text, u"abc\ndef\ng");
  EXPECT_EQ(Read("abcdefg", 1, 3, 2), ReadOk);
  EXPECT_EQ(text, u"abc\rdef\rg");
  // The count starts after the mark and ignores existing line ends.
  EXPECT_EQ(Read("\xEF\xBB\xBF" "ab\ncd", 1, 2, 1), ReadOk);
  EXPECT_EQ(text, u"ab\n\nc\nd");
  // An n beyond the content, up to the largest, inserts nothing and does not wrap.
  EXPECT_EQ(Read("abcdefgh", 1, 0xFFFFFFFFu, 0), ReadOk);
  EXPECT_EQ(text, u"abcdefgh");
  EXPECT_EQ(Read("abcdefgh", 1, 8, 0), ReadOk);
  EXPECT_EQ(text, u"abcdefgh");
}

TEST_F(ReadTextFileTest, LineEndingEveryNBytesInUtf16) {
  std::string le("\xFF\xFE" "a\0b\0c\0d\0e\0", 12);
  EXPECT_EQ(Read(le, 1, 4, 0), ReadOk);
  EXPECT_EQ(text, u"ab\r\ncd\r\ne");
  EXPECT_TRUE(host.boxes.empty()) << "an even n asks nothing";
  std::string be("\xFE\xFF\0a\0b\0c", 8);
  EXPECT_EQ(Read(be, 1, 2, 1), ReadOk);
  EXPECT_EQ(text, u"a\nb\nc");
}

TEST_F(ReadTextFileTest, OddNInUtf16AsksFirst) {
  host.boxAnswer = kAnswerNo;
  EXPECT_EQ(Read(std::string("\xFF\xFE" "a\0", 4), 1, 3, 0), ReadAborted);
  ASSERT_EQ(host.boxes.size(), 1u) << "asked even though the content is shorter than n";
  EXPECT_EQ(codePage, 1200u);
  EXPECT_EQ(host.boxes[0].caption, u"指定したバイト数毎に改行コードを挟む");
  EXPECT_EQ(host.boxes[0].style, uint32_t{kBoxIconQuestion | kBoxYesNo});
  EXPECT_NE(host.boxes[0].text.find(u"f.txt の文字コードはUTF-16ですが、改行コードを 3 バイト毎"),
            WideText::npos);

  // Yes goes on with the odd n: the line ends land at odd offsets, inside the units.
  host.boxAnswer = kAnswerYes;
  EXPECT_EQ(Read(std::string("\xFF\xFE" "a\0b\0c\0", 8), 1, 3, 1), ReadOk);
  EXPECT_EQ(text, WideText(u"a\u0A62\0c", 4));
  EXPECT_EQ(host.boxes.size(), 2u);
}

TEST_F(ReadTextFileTest, FileLevelFailures) {
  codePage = 77;
  EXPECT_EQ(ReadTextFile(context, ToNative(dir / "missing.txt"), &text, 1, &codePage, &bom, 0, 0),
            ReadCannotOpen);
  EXPECT_EQ(codePage, 77u) << "left as it was";

  WriteBytes(dir / "f.txt", "abc");
  FailingFileSystem files;
  context.files = &files;
  files.readResult = ReadFileResult::kFailed;
  EXPECT_EQ(ReadTextFile(context, ToNative(dir / "f.txt"), &text, 1, &codePage, &bom, 0, 0),
            ReadFailed);
  files.readResult = ReadFileResult::kOk;

  context.createCodec = [](uint32_t* failure) -> std::unique_ptr<Codec> {
    *failure = 0x80040154u;
    return nullptr;
  };
  EXPECT_EQ(ReadTextFile(context, ToNative(dir / "f.txt"), &text, 1, &codePage, &bom, 0, 0),
            ReadNoConverter);
}

TEST_F(ReadTextFileTest, ShiftJisReadInPiecesDecodesAsTheWholeFile) {
  // Pairs, runs of bytes that may lead, NULs (even between the two bytes of a pair), bad
  // bytes and lone lead bytes, across every boundary of small pieces; the reference is the
  // converter on the whole file without its NULs.
  FailingFileSystem files;
  context.files = &files;
  uint32_t failure = 0;
  const std::unique_ptr<Codec> reference = CreateSystemCodec(&failure);
  ASSERT_TRUE(reference);
  // The last two spoil the text (when they are not followed by a second byte).
  const std::string tokens[] = {"a",        "\n",   "\x82\xA0",          "\x9F\xFC",
                                "\x81\x81", "\xB1", std::string(1, '\0'), std::string("\x82\0\xA0", 3),
                                "\x82",     "\x80"};
  std::mt19937 random(20261207);
  int decoded = 0;
  int failed = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes;
    const size_t length = random() % 300;
    while (bytes.size() < length) bytes += tokens[random() % (round % 3 == 0 ? 10 : 8)];
    std::string withoutNuls = bytes;
    withoutNuls.erase(std::remove(withoutNuls.begin(), withoutNuls.end(), '\0'), withoutNuls.end());
    WideText expected;
    const ReadStatus expectedStatus = withoutNuls.empty() ? ReadEmpty
                                      : reference->Decode(932, withoutNuls, &expected)
                                          ? ReadOk
                                          : ReadCannotDecode;
    for (const size_t piece : {3, 4, 7, 64, 65, 129}) {
      files.forcedPieceBytes = piece;
      ASSERT_EQ(Read(bytes, 1), expectedStatus) << round << " " << piece;
      if (expectedStatus == ReadOk) {
        ASSERT_EQ(text, expected) << round << " " << piece;
        EXPECT_EQ(codePage, 932u);
      }
    }
    (expectedStatus == ReadOk ? decoded : failed) += 1;
  }
  EXPECT_GT(decoded, 50);
  EXPECT_GT(failed, 50);
}

TEST_F(ReadTextFileTest, EveryRoadGivesTheSameAnswer) {
  // Whatever the converter says it decodes in pieces or in place, and in whatever pieces
  // the file comes, a read ends with the same status, text, code page and mark flag. A
  // converter that claims what it then turns down is read the other way.
  struct Case {
    std::string bytes;
    int16_t index;
    uint32_t n = 0;
    uint32_t typed = 0;
  };
  std::string longSjis;
  while (longSjis.size() < 5000) longSjis += "abc\x82\xA0\x82\xA2\n";
  const Case cases[] = {
      {"\x82\xA0\x82\xA2 ok", 1},
      {longSjis, 1},
      {longSjis + "\x82", 1},
      {std::string("a\0\x82\0\xA0", 5), 1},
      {std::string("\xFF\xFE" "A\0\0\0B\0", 8), 1},
      {std::string("\xFE\xFF\0a\0b\0c", 8), 2, 2},
      {"\xEF\xBB\xBF\xE3\x81\x82", 1},
      {"\xEF\xBB\xBF", 4},
      {std::string("\0\0", 2), 1},
      {"\xE3\x81\x82\xE3\x81\x84", 4},
      {"\xE3\x81\x82\xE3\x81", 4},
      {std::string("\x42\x30\x44\x30\x46\x30", 6), 2},  // あいう in UTF-16 LE
      {"\xA4\xA2", 9, 0, 51932},
      {"abcdefghij", 1, 4},
      {"\x82\xA0\x82\xA0", 0},
  };
  const std::optional<bool> answers[] = {std::nullopt, true, false};
  FailingFileSystem files;
  context.files = &files;
  script.detectResult = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "index " << c.index << ", " << c.bytes.size() << " bytes");
    script.decodesPieces.reset();
    script.decodesInPlace.reset();
    files.forcedPieceBytes = 0;
    const ReadStatus expected = Read(c.bytes, c.index, c.n, 0, c.typed);
    const WideText expectedText = text;
    const uint32_t expectedCodePage = codePage;
    const uint32_t expectedBom = bom;
    for (const std::optional<bool>& pieces : answers) {
      for (const std::optional<bool>& inPlace : answers) {
        for (const size_t piece : {size_t{0}, size_t{3}, size_t{64}}) {
          SCOPED_TRACE(testing::Message() << "pieces " << pieces.value_or(2) << ", in place "
                                          << inPlace.value_or(2) << ", piece " << piece);
          script.decodesPieces = pieces;
          script.decodesInPlace = inPlace;
          files.forcedPieceBytes = piece;
          const int createdBefore = script.created;
          ASSERT_EQ(Read(c.bytes, c.index, c.n, 0, c.typed), expected);
          EXPECT_LE(script.created - createdBefore, 1) << "one converter a read";
          if (expected == ReadOk) {
            EXPECT_EQ(text, expectedText);
          }
          if (expected == ReadOk || expected == ReadCannotDecode) {
            EXPECT_EQ(codePage, expectedCodePage);
          }
          EXPECT_EQ(bom, expectedBom);
        }
      }
    }
  }
}

TEST_F(ReadTextFileTest, ProgramHeaderBeyondTheFirstPieceIsStillRefusedWhenReadWhole) {
  // "MZ" whose PE header lies past the first piece: seen only once the whole file is in.
  std::string pe(4096, 'z');
  pe.replace(0, 2, "MZ");
  pe.replace(0x3C, 4, std::string("\x00\x08\0\0", 4));
  pe.replace(0x800, 4, std::string("PE\0\0", 4));
  FailingFileSystem files;
  context.files = &files;
  files.forcedPieceBytes = 256;
  script.decodesPieces = false;
  for (const int16_t index : {0, 1, 4, 9}) {
    EXPECT_EQ(Read(pe, index, 0, 0, 65001), ReadBinary) << index;
  }
  EXPECT_EQ(Read(pe, 1, 10), ReadBinary);
}

TEST_F(ReadTextFileTest, BinaryFilesAreRefusedOnEveryRoadBeforeDecoding) {
  // A PE program of several pieces: detection, Shift-JIS (read in pieces), UTF-8, a typed
  // code page, and line endings put in every n bytes (read whole).
  std::string pe(600'000, 'z');
  pe.replace(0, 2, "MZ");
  pe.replace(0x3C, 4, std::string("\x80\0\0\0", 4));
  pe.replace(0x80, 4, std::string("PE\0\0", 4));
  for (const int16_t index : {0, 1, 4, 9}) EXPECT_EQ(Read(pe, index, 0, 0, 65001), ReadBinary);
  EXPECT_EQ(Read(pe, 1, 10), ReadBinary);
  EXPECT_EQ(script.created, 0) << "refused before a converter was made";
}

TEST_F(ReadTextFileTest, NulBytesMarkABinaryFileOnlyUnderDetection) {
  const std::string withNul("ab\0cd", 5);
  script.detectResult = false;  // read as Shift-JIS
  EXPECT_EQ(Read(withNul, 0), ReadBinary);
  EXPECT_EQ(Read("\xEF\xBB\xBF" + withNul, 0), ReadBinary) << "a UTF-8 mark explains no NUL";
  // UTF-16, by mark or by detection: NUL bytes belong to it; NUL units still go.
  EXPECT_EQ(Read(std::string("\xFF\xFE" "a\0\0\0b\0", 8), 0), ReadOk);
  EXPECT_EQ(text, u"ab");
  script.detectResult = true;
  script.detectedCodePage = 1201;
  EXPECT_EQ(Read(std::string("\0a\0b", 4), 0), ReadOk);
  EXPECT_EQ(text, u"ab");
  // A named code page keeps removing stray NULs.
  EXPECT_EQ(Read(withNul, 4), ReadOk);
  EXPECT_EQ(text, u"abcd");
}

TEST_F(ReadTextFileTest, UnmarkedUtf16IsTextWhenThePlatformDetectorSaysSo) {
  // Not every converter detects (Wine's does not): the file is text exactly when the
  // platform's detector finds UTF-16, else its NUL bytes refuse it.
  std::u16string content;
  for (int i = 0; i < 20; ++i) content += u"The quick brown fox jumps over the lazy dog.\r\n";
  const std::string bytes = Utf16LeBytes(content);
  uint32_t failure = 0;
  uint32_t detected = 0;
  const std::unique_ptr<Codec> real = CreateSystemCodec(&failure);
  ASSERT_TRUE(real);
  const bool utf16 = real->Detect(bytes, &detected) && detected == 1200;
  EXPECT_EQ(Read(bytes, 0), utf16 ? ReadOk : ReadBinary);
  if (utf16) {
    EXPECT_EQ(text, content);
  }
}

TEST_F(ReadTextFileTest, LineEndingsPutInMayNotGrowPastTheLimit) {
  const ScopedHeldLimit limit(20);
  EXPECT_EQ(Read("abcdefgh", 1, 1), ReadTooLarge) << "room for 8 + 7 * 4 bytes asked";
  EXPECT_EQ(Read("abcdefgh", 1, 4), ReadOk);
  EXPECT_EQ(Read(std::string(30, 'a'), 0), ReadOk) << "a file read as it is never grows";
}

TEST_F(ReadTextFileTest, FileLargerThanMemoryIsRefusedUntouched) {
  // A sparse file far beyond what this machine could hold as text.
  std::filesystem::path big = dir / "big.txt";
  WriteBytes(big, "x");
  std::error_code error;
  std::filesystem::resize_file(big, uint64_t{1} << 40, error);
  if (error) GTEST_SKIP() << "no sparse files here: " << error.message();
  EXPECT_EQ(ReadTextFile(context, ToNative(big), &text, 1, &codePage, &bom, 0, 0), ReadTooLarge);
  EXPECT_EQ(std::filesystem::file_size(big), uint64_t{1} << 40);
}

}  // namespace
