#include "engine/write_text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/process_flags.h"
#include "tests/test_support.h"

namespace {

class WriteTextFileTest : public ::testing::Test {
 protected:
  ProcessStateGuard state;  // first member: the flags are put back after everything else
  WriteTextFileTest() {
    japaneseUi = false;
    context.host = &host;
    context.createCodec = ScriptedCodecFactory(&script);
    WriteBytes(dir / "f.txt", "original");
  }

  bool Write(const WideText& text, uint32_t codePage, uint32_t bom) {
    title.reset();
    detail.reset();
    return WriteTextFile(context, ToNative(dir / "f.txt"), text, codePage, bom, &title, &detail);
  }
  std::string Content() { return ReadBytes(dir / "f.txt"); }

  TempDir dir;
  RecordingHost host;
  ScriptedCodec::Script script;
  EngineContext context;
  std::optional<WideText> title, detail;
};

TEST_F(WriteTextFileTest, MarkOnlyForUnicodeOutputOfAMarkedInput) {
  EXPECT_TRUE(Write(u"あ", 65001, 1));
  EXPECT_EQ(Content(), "\xEF\xBB\xBF\xE3\x81\x82");
  EXPECT_TRUE(Write(u"あ", 1200, 1));
  EXPECT_EQ(Content(), "\xFF\xFE\x42\x30");
  EXPECT_TRUE(Write(u"あ", 1201, 1));
  EXPECT_EQ(Content(), "\xFE\xFF\x30\x42");
  EXPECT_TRUE(Write(u"あ", 932, 1));
  EXPECT_EQ(Content(), "\x82\xA0") << "Shift-JIS never gets a mark";
  EXPECT_TRUE(Write(u"あ", 65001, 0));
  EXPECT_EQ(Content(), "\xE3\x81\x82") << "no mark when the input had none";
  EXPECT_FALSE(title || detail);
  EXPECT_TRUE(Write(u"", 65001, 1));
  EXPECT_EQ(Content(), "\xEF\xBB\xBF") << "an emptied text keeps just its mark";
}

TEST_F(WriteTextFileTest, SubstitutionIsWrittenAndReported) {
  // U+1F600 has no Shift-JIS form.
  EXPECT_TRUE(Write(u"a\U0001F600b", 932, 0));
  EXPECT_EQ(Content(), "a?b");
  ASSERT_TRUE(title && detail);
  EXPECT_EQ(*title, u"Force Conversion");
  EXPECT_EQ(*detail, u"Unconvertible charactors are contained.");

  japaneseUi = true;
  EXPECT_TRUE(Write(u"\u00E9\u4E00", 50220, 0));
  ASSERT_TRUE(title && detail);
  EXPECT_EQ(*title, u"強制変換しました");
  EXPECT_EQ(*detail, u"変換できない文字が含まれており、'?'に置換しました。");
}

TEST_F(WriteTextFileTest, SecondaryEncoderAfterNotSupported) {
  script.encodeAnswer = EncodeAnswer::kNotSupported;
  EXPECT_TRUE(Write(u"x\U0001F600", 932, 0));
  EXPECT_EQ(Content(), "x?");
  ASSERT_TRUE(title);
  EXPECT_EQ(*title, u"Force Conversion") << "substitution reported on this path too";

  script.fallbackFails = true;
  script.fallbackError = 87;
  EXPECT_FALSE(Write(u"y", 932, 0));
  EXPECT_EQ(Content(), "x?");
  ASSERT_TRUE(title && detail);
  EXPECT_EQ(*title, u"WideCharToMultiByte");
  EXPECT_FALSE(detail->empty());
}

TEST_F(WriteTextFileTest, ConverterFailuresLeaveTheFileAlone) {
  script.encodeAnswer = EncodeAnswer::kFailed;
  EXPECT_FALSE(Write(u"new", 932, 0));
  EXPECT_EQ(Content(), "original");
  EXPECT_EQ(*title, u"Conversion error");
  EXPECT_EQ(*detail, u"ConvertStringFromUnicodeEx error.");

  context.createCodec = [](uint32_t* failure) -> std::unique_ptr<Codec> {
    *failure = 0x80040154u;
    return nullptr;
  };
  EXPECT_FALSE(Write(u"new", 932, 0));
  EXPECT_EQ(*title, u"CoCreateInstance.");
  EXPECT_EQ(*detail, u"REGDB_E_CLASSNOTREG.");
  context.createCodec = [](uint32_t* failure) -> std::unique_ptr<Codec> {
    *failure = 0x80004005u;
    return nullptr;
  };
  EXPECT_FALSE(Write(u"new", 932, 0));
  EXPECT_TRUE(title.has_value());
  EXPECT_FALSE(detail.has_value()) << "no detail for other creation failures";
  EXPECT_EQ(Content(), "original");
}

TEST_F(WriteTextFileTest, FailedWriteKeepsTheOriginal) {
  FailingFileSystem files;
  context.files = &files;
  files.replaceResult = ReplaceResult::kWriteFailed;
  EXPECT_FALSE(Write(u"new content", 932, 0));
  EXPECT_EQ(Content(), "original");
  EXPECT_EQ(*title, u"WriteFile error");
  EXPECT_FALSE(detail->empty());

  files.replaceResult = ReplaceResult::kCannotCreate;
  EXPECT_FALSE(Write(u"a\U0001F600", 932, 0));
  EXPECT_EQ(*title, u"Cannot open a file as write mode") << "replaces the substitution report";
  EXPECT_EQ(Content(), "original");
}

TEST_F(WriteTextFileTest, ReadOnlyTargetIsRefused) {
  std::filesystem::permissions(dir / "f.txt", std::filesystem::perms::owner_write |
                                                  std::filesystem::perms::group_write |
                                                  std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  EXPECT_FALSE(Write(u"new", 932, 0));
  EXPECT_EQ(Content(), "original");
  ASSERT_TRUE(title && detail);
  EXPECT_EQ(*title, u"Cannot open a file as write mode");
  EXPECT_FALSE(detail->empty());
}


TEST_F(WriteTextFileTest, WorkFileFailuresNameTheirPlace) {
  // No temporary file can be made in a folder that does not exist: the folder is named.
  EXPECT_FALSE(WriteTextFile(context, ToNative(dir / "missing" / "f.txt"), u"new", 932, 0, &title,
                             &detail));
  ASSERT_TRUE(title && detail);
  EXPECT_EQ(*title, u"Cannot open a file as write mode");
  const WideText folder = PathForDisplay(ToNative(dir / "missing"));
  EXPECT_EQ(detail->rfind(u"Cannot create a temporary file in " + folder + u" - ", 0), 0u);
  japaneseUi = true;
  EXPECT_FALSE(WriteTextFile(context, ToNative(dir / "missing" / "f.txt"), u"new", 932, 0, &title,
                             &detail));
  EXPECT_EQ(*title, u"ファイルを書き込みモードで開けません");
  EXPECT_EQ(detail->rfind(u"フォルダ " + folder + u" に一時ファイルを作成できません - ", 0), 0u);
  japaneseUi = false;

  // A copy of old content left beside a linked file stops its rewrite and is named.
  std::error_code linkError;
  std::filesystem::create_hard_link(dir / "f.txt", dir / "g.txt", linkError);
  if (linkError) return;
  WriteBytes(dir / "f.txt.~qlkeep", "earlier");
  EXPECT_FALSE(Write(u"new", 932, 0));
  ASSERT_TRUE(title && detail);
  EXPECT_EQ(*title, u"Cannot open a file as write mode");
  EXPECT_NE(detail->find(PathForDisplay(ToNative(dir / "f.txt.~qlkeep"))), WideText::npos);
  EXPECT_EQ(Content(), "original");
  EXPECT_EQ(ReadBytes(dir / "f.txt.~qlkeep"), "earlier");
}

}  // namespace
