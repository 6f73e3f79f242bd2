// The INI store: the profile functions (the system's on Windows, ours elsewhere) and
// the accessors on top of them.
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "core/process_flags.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

const std::string kMark = "\xFF\xFE";

// The file as our writer and Windows leave it. Wine rewrites the whole file and drops
// the empty line that follows the mark of a new file; everything else is the same.
std::string Written(const std::filesystem::path& file) {
  std::string bytes = ReadBytes(file);
  const std::string emptyLine = kMark + std::string("\r\0\n\0", 4);
  if (RunningUnderWine() && bytes.rfind(kMark, 0) == 0 && bytes.rfind(emptyLine, 0) != 0) {
    bytes.insert(2, emptyLine.substr(2));
  }
  return bytes;
}

class IniStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useIniStore = true;
    file_ = dir_ / "quillon.ini";
    SetIniFilePath(ToNative(file_));
  }
  NativePath Path() const { return ToNative(file_); }
  void WriteUtf16(std::u16string_view text) { WriteBytes(file_, kMark + Utf16LeBytes(text)); }

  ProcessStateGuard state_;  // puts the store and its path back
  TempDir dir_;
  std::filesystem::path file_;
};

TEST_F(IniStoreTest, EnsureIniFileCreatesTheMarkAndOneEmptyLineOnly) {
  ASSERT_TRUE(EnsureIniFile());
  EXPECT_EQ(ReadBytes(file_), std::string("\xFF\xFE\x0D\x00\x0A\x00", 6));

  // An existing file is left alone.
  WriteUtf16(u"[Main]\r\nCharEncode=3\r\n");
  std::string before = ReadBytes(file_);
  ASSERT_TRUE(EnsureIniFile());
  EXPECT_EQ(ReadBytes(file_), before);

  // An empty file would be written in ANSI; it gets the mark like a new one.
  WriteBytes(file_, "");
  ASSERT_TRUE(EnsureIniFile());
  EXPECT_EQ(ReadBytes(file_), std::string("\xFF\xFE\x0D\x00\x0A\x00", 6));

  SetIniFilePath(ToNative(dir_ / "missing-folder" / "quillon.ini"));
  EXPECT_FALSE(EnsureIniFile());
}

TEST_F(IniStoreTest, WritesIntoTheUtf16FileInKeyOrder) {
  ASSERT_TRUE(EnsureIniFile());
  ASSERT_TRUE(WriteTextSetting(u"TargetPath", u"C:\\データ\\*.txt"));
  ASSERT_TRUE(WriteIntSetting(u"FileBackup", 1));
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", -1));
  EXPECT_EQ(Written(file_),
            kMark + Utf16LeBytes(u"\r\n[Main]\r\nTargetPath=C:\\データ\\*.txt\r\nFileBackup=1\r\n"
                            u"CharEncode=4294967295\r\n"));
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), -1);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\データ\\*.txt");

  // Rewriting a key changes its line in place.
  ASSERT_TRUE(WriteIntSetting(u"FileBackup", 0));
  EXPECT_EQ(Written(file_),
            kMark + Utf16LeBytes(u"\r\n[Main]\r\nTargetPath=C:\\データ\\*.txt\r\nFileBackup=0\r\n"
                            u"CharEncode=4294967295\r\n"));
}

TEST_F(IniStoreTest, MissingFileSectionOrKeyGivesTheDefaults) {
  EXPECT_EQ(ReadIntSetting(u"SearchSubFolders", 1), 1);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"");
  WriteUtf16(u"\r\n[Other]\r\nTab2SpaceClm=8\r\n");
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 4), 4);
  // A key without a value is there but empty: a text reads empty, a number the default.
  WriteUtf16(u"[Main]\r\nTab2SpaceClm=\r\nTargetPath=\r\n");
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 4), 4);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"");
}

TEST_F(IniStoreTest, NumbersAreReadUpToTheFirstOtherCharacter) {
  WriteUtf16(
      u"[Main]\r\nA=  42abc\r\nB=-5\r\nC=+7\r\nD=x12\r\nE=4294967296\r\nF=0x10\r\nG=2147483648\r\n");
  EXPECT_EQ(ReadIntSetting(u"A", 9), 42);
  EXPECT_EQ(ReadIntSetting(u"B", 9), -5);
  EXPECT_EQ(ReadIntSetting(u"C", 9), 7);
  EXPECT_EQ(ReadIntSetting(u"D", 9), 0);
  EXPECT_EQ(ReadIntSetting(u"E", 9), 0);  // the 32-bit pattern wraps
  EXPECT_EQ(ReadIntSetting(u"F", 9), 16);
  EXPECT_EQ(ReadIntSetting(u"G", 9), INT32_MIN);
}

TEST_F(IniStoreTest, RangedNumbersAreNeverWrappedIntoRange) {
  WriteUtf16(
      u"[Main]\r\nHuge=99999999999999\r\nMinus=-1\r\nWrapsTo8=4294967304\r\n"
      u"HexWrapsTo8=0x100000008\r\nHex=0x63\r\nTrailing= 7x\r\nWord=abc\r\nOver=100\r\n");
  auto read = [](std::u16string_view key) { return ReadIntSettingInRange(key, 1, 99, 4); };
  EXPECT_EQ(read(u"Huge"), 4);
  EXPECT_EQ(read(u"Minus"), 4);
  EXPECT_EQ(read(u"WrapsTo8"), 4);
  EXPECT_EQ(read(u"HexWrapsTo8"), 4);
  EXPECT_EQ(read(u"Hex"), 99);
  EXPECT_EQ(read(u"Trailing"), 7) << "read up to the first other character, as ReadIntSetting";
  EXPECT_EQ(read(u"Word"), 4);
  EXPECT_EQ(read(u"Missing"), 4);
  EXPECT_EQ(read(u"Over"), 4);
  EXPECT_EQ(ParseProfileNumberUnwrapped(u"0xFFFFFFFFFFFFFFFFFFFFFFFF"), int64_t{1} << 62);
  EXPECT_EQ(ParseProfileNumberUnwrapped(u"-99999999999999999999999"), -(int64_t{1} << 62));
  EXPECT_EQ(ParseProfileNumberUnwrapped(u"4294967304"), int64_t{4294967304});
}

TEST_F(IniStoreTest, LongTextsAreCutAt8191Units) {
  ASSERT_TRUE(EnsureIniFile());
  WideText exact(8191, u'あ');
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", exact));
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), exact);

  WideText longer(8192, u'x');
  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", longer));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), WideText(8191, u'x'));

  WideText huge(100 * 1024, u'y');
  ASSERT_TRUE(WriteTextSetting(u"AfterReplace", huge));
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), WideText(8191, u'y'));
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), exact);  // the neighbour is intact
}

TEST_F(IniStoreTest, TextsReadBackAsWrittenDespiteSpacesAndQuotes) {
  ASSERT_TRUE(EnsureIniFile());
  for (std::u16string_view text :
       {u" lead", u"trail ", u"\tboth\t", u"\"quoted\"", u"'single'", u"''", u"\"",
        u"a \"mid\" b", u"\u3000", u"=;[x]"}) {
    ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", text));
    EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), text) << Utf8FromWide(text);
  }
}

TEST_F(IniStoreTest, TextWithALineBreakIsRefusedAndChangesNothing) {
  ASSERT_TRUE(EnsureIniFile());
  ASSERT_TRUE(WriteTextSetting(u"BeforeReplace", u"old"));
  std::string before = ReadBytes(file_);
  EXPECT_FALSE(WriteTextSetting(u"BeforeReplace", u"x\r\nTargetPath=/"));
  EXPECT_FALSE(WriteTextSetting(u"BeforeReplace", u"x\ny"));
  EXPECT_FALSE(WriteTextSettingNarrow(u"BeforeReplace", u"x\ry"));
  EXPECT_EQ(ReadBytes(file_), before);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"");
}

TEST_F(IniStoreTest, NarrowWritesKeepTheFileUtf16) {
  ASSERT_TRUE(EnsureIniFile());
  ASSERT_TRUE(WriteTextSettingNarrow(u"TargetPath", u"C:\\work\\*.txt"));
  ASSERT_TRUE(WriteIntSettingNarrow(u"CrlfTransWay", 3));
  ASSERT_TRUE(WriteIntSettingNarrow(u"InsLfByte", -2));
  EXPECT_EQ(Written(file_),
            kMark + Utf16LeBytes(u"\r\n[Main]\r\nTargetPath=C:\\work\\*.txt\r\nCrlfTransWay=3\r\n"
                            u"InsLfByte=4294967294\r\n"));
  EXPECT_EQ(ReadIntSetting(u"InsLfByte", 0), -2);

  // A character outside the narrow code page is not turned into "?" (a wildcard).
  ASSERT_TRUE(WriteTextSettingNarrow(u"TargetPath", u"C:\\\U0001F600\u0416\\*.txt"));
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\\U0001F600\u0416\\*.txt");
}

TEST_F(IniStoreTest, HandWrittenFilesAreReadAsWindowsReadsThem) {
  // Names in other case, spaces around names and values, quotes, a comment, LF only.
  WriteUtf16(u"; settings\n[ main ]\n  charencode  =  7  \nTARGETPATH = \"  C:\\x  \"\n"
             u"BeforeReplace='abc'\nAfterReplace=\"abc'\n");
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 7);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"  C:\\x  ");
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u"abc");
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"\"abc'");

  // Keys before any section belong to none.
  WriteUtf16(u"CharEncode=5\r\n");
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 1);

  // The first of two equal keys counts.
  WriteUtf16(u"[Main]\r\nTab2SpaceClm=8\r\nTab2SpaceClm=2\r\n");
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 4), 8);
  ASSERT_TRUE(WriteIntSetting(u"Tab2SpaceClm", 3));
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 4), 3);
}

TEST_F(IniStoreTest, FileWithoutMarkIsReadAsNarrowText) {
  WriteBytes(file_, "[Main]\r\nTargetPath=C:\\plain\\*.txt\r\nCharEncode=2\r\n");
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\plain\\*.txt");
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 1), 2);
}

#ifndef _WIN32
// Our own profile writer: the exact lines it keeps and where it puts new ones.

TEST_F(IniStoreTest, WriteKeepsEveryOtherLineAndAppendsToTheSection) {
  WriteBytes(file_, "; hand made\n[Other]\nkey = value \n\n[MAIN]\nCharEncode = 2\n\n[Last]\nx=1");
  ASSERT_TRUE(WriteIntSetting(u"charencode", 5));
  ASSERT_TRUE(WriteIntSetting(u"WriteEncode", 3));
  ASSERT_TRUE(WriteTextSetting(u"Fresh", u"v"));
  // A file without a mark is converted to UTF-16LE; the lines stay as they were.
  EXPECT_EQ(ReadBytes(file_),
            kMark + Utf16LeBytes(u"; hand made\n[Other]\nkey = value \n\n[MAIN]\nCharEncode=5\n"
                            u"WriteEncode=3\nFresh=v\n\n[Last]\nx=1"));

  WriteBytes(file_, "[Last]\nx=1");
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 4));
  EXPECT_EQ(ReadBytes(file_), kMark + Utf16LeBytes(u"[Last]\nx=1\n[Main]\nCharEncode=4\n"));
}

TEST_F(IniStoreTest, ValueWrittenAsItStandsLeavesTheFileAlone) {
  if (sizeof(wchar_t) == 2) GTEST_SKIP() << "the system's profile functions decide";
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 5));
  const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  std::filesystem::last_write_time(file_, old);
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 5));
  EXPECT_EQ(std::filesystem::last_write_time(file_), old);
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 6));
  EXPECT_NE(std::filesystem::last_write_time(file_), old);
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 0), 6);
}

// A FIFO or a folder in the INI file's place: nothing waits for a writer that never
// comes, reads give the defaults and writes fail.
TEST_F(IniStoreTest, AStoreThatIsNoFileIsNeverWaitedFor) {
  ASSERT_EQ(mkfifo(file_.c_str(), 0600), 0);
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(EnsureIniFile());
  EXPECT_EQ(ReadIntSetting(u"CharEncode", 7), 7);
  EXPECT_EQ(ReadIntSettingInRange(u"Tab2SpaceClm", 1, 99, 4), 4);
  EXPECT_FALSE(WriteIntSetting(u"CharEncode", 1));
  EXPECT_FALSE(WriteIntSettingNarrow(u"CharEncode", 1));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_TRUE(std::filesystem::is_fifo(file_));

  std::filesystem::remove(file_);
  std::filesystem::create_directory(file_);
  EXPECT_FALSE(EnsureIniFile());
  EXPECT_FALSE(WriteIntSetting(u"CharEncode", 1));
  EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(IniStoreTest, UnreadableInputFallsBackWithoutLosingBytes) {
  // Bytes that are not UTF-8 are taken one character per byte and survive a write.
  WriteBytes(file_, "[Main]\r\nTargetPath=caf\xE9\r\n");
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"caf\u00E9");
  ASSERT_TRUE(WriteIntSetting(u"CharEncode", 1));
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"caf\u00E9");

  // A write into a folder that does not exist fails and creates nothing.
  SetIniFilePath(ToNative(dir_ / "none" / "quillon.ini"));
  EXPECT_FALSE(WriteIntSetting(u"CharEncode", 1));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none"));
}
#endif

}  // namespace
