// Handing the options over: the keys written to the store (the lock around a hand-over
// and the start of quillon are tested beside their platform code).
#include <gtest/gtest.h>

#include "cli/settings_handover.h"
#include "core/process_flags.h"
#include "settings/settings_file_text.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"

namespace {

CliOptions ParseOk(std::initializer_list<const char16_t*> args) {
  std::vector<WideText> list;
  for (const char16_t* arg : args) list.emplace_back(arg);
  CliParse parse = ParseCommandLine(list);
  EXPECT_EQ(parse.error, CliError::kNone);
  return parse.options;
}

class IniHandoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useIniStore = true;
    SetIniFilePath(ToNative(dir_ / "quillon.ini"));
    ASSERT_TRUE(EnsureIniFile());
  }
  // The key names of the file's lines, in file order.
  std::vector<WideText> KeysInFile() {
    std::vector<WideText> keys;
  ProcessStateGuard state_;  // puts the store and its path back
    WideText text = DecodeSettingsFile(ReadBytes(dir_ / "quillon.ini"));
    for (const TextLine& line : SplitLines(text)) {
      size_t equals = line.body.find(u'=');
      if (equals != WideText::npos) keys.push_back(line.body.substr(0, equals));
    }
    return keys;
  }

  ProcessStateGuard state_;  // puts the store and its path back
  TempDir dir_;
};

TEST_F(IniHandoverTest, EveryKeyInKeyOrderWithTargetLast) {
  std::u16string_view failed;
  ASSERT_TRUE(WriteOptionSettings(ParseOk({u"/W", u"x"}), &failed));
  ASSERT_TRUE(WriteTargetSetting(u"/data/*.txt"));
  std::vector<WideText> expected;
  for (int i = 1; i < kSettingCount; ++i) expected.emplace_back(kSettingKeys[i].name);
  expected.emplace_back(kSettingKeys[0].name);
  EXPECT_EQ(KeysInFile(), expected);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"/data/*.txt");
}

TEST_F(IniHandoverTest, OptionsBecomeValuesAndTheRestIsReset) {
  std::u16string_view failed;
  // Earlier values that the next call does not mention must not survive.
  ASSERT_TRUE(WriteOptionSettings(ParseOk({u"/Y", u"/K", u"/RB:x", u"/RA:y", u"/T:8", u"a"}),
                                  &failed));
  ASSERT_TRUE(WriteOptionSettings(ParseOk({u"/C:crlf", u"/M:-1", u"/F:932", u"a"}), &failed));
  EXPECT_EQ(ReadIntSetting(u"CrlfTrans", -9), 1);
  EXPECT_EQ(ReadIntSetting(u"CrlfTransWay", -9), 3);
  EXPECT_EQ(ReadIntSetting(u"CharEncode", -9), 9);
  EXPECT_EQ(ReadIntSetting(u"CharEncodeOther", -9), 932);
  EXPECT_EQ(ReadIntSetting(u"InsLfByte", -9), -1);
  EXPECT_NE(DecodeSettingsFile(ReadBytes(dir_ / "quillon.ini")).find(u"\r\nInsLfByte=4294967295\r\n"),
            WideText::npos);
  EXPECT_EQ(ReadIntSetting(u"SearchSubFolders", -9), 0);
  EXPECT_EQ(ReadIntSetting(u"FileBackup", -9), 0);
  EXPECT_EQ(ReadIntSetting(u"Tab2Space", -9), 0);
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", -9), 4);
  EXPECT_EQ(ReadIntSetting(u"ReplaceString", -9), 0);
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u"");
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"");
}

TEST_F(IniHandoverTest, ReplacementTextsKeepTheirEdges) {
  std::u16string_view failed;
  ASSERT_TRUE(WriteOptionSettings(ParseOk({u"/RB: a ", u"/RA:\"q\"", u"x"}), &failed));
  EXPECT_EQ(ReadIntSetting(u"ReplaceString", -9), 1);
  EXPECT_EQ(ReadTextSetting(u"BeforeReplace"), u" a ");
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u"\"q\"");
}

TEST_F(IniHandoverTest, AnUnwritableKeyIsReportedNotSkipped) {
  std::u16string_view failed;
  ASSERT_TRUE(WriteOptionSettings(ParseOk({u"/RB:old", u"/RA:new", u"x"}), &failed));
  ProcessStateGuard state;
  // A line break cannot be stored in an INI line; the old search text must not be left
  // for quillon to use without anyone knowing.
  EXPECT_FALSE(WriteOptionSettings(ParseOk({u"/RB:a\nb", u"/RA:c", u"x"}), &failed));
  EXPECT_EQ(failed, u"BeforeReplace");
}

#ifndef _WIN32
// The registry store below a test folder for the life of the object.
class RegistryStoreHere {
 public:
  explicit RegistryStoreHere(const TempDir& dir) {
    const char* config = getenv("XDG_CONFIG_HOME");
    hadConfig_ = config != nullptr;
    if (config) savedConfig_ = config;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    savedStore_ = useIniStore;
    useIniStore = false;
  }
  ~RegistryStoreHere() {
    useIniStore = savedStore_;
    if (hadConfig_) setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
  }

 private:
  bool hadConfig_ = false, savedStore_ = false;
  std::string savedConfig_;
};

TEST(RegistryHandover, WritesTheHiveBelowTheConfigFolder) {
  ProcessStateGuard state;
  TempDir dir;
  RegistryStoreHere store(dir);
  std::u16string_view failed;
  EXPECT_TRUE(WriteOptionSettings(ParseOk({u"/C:LF", u"x"}), &failed));
  EXPECT_TRUE(WriteTargetSetting(u"/t/a.txt"));
  EXPECT_EQ(ReadIntSetting(u"CrlfTransWay", -9), 1);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"/t/a.txt");
  EXPECT_TRUE(std::filesystem::exists(dir / "quillon/registry.reg"));
}

TEST(RegistryHandover, TheHiveHoldsEveryKeyInKeyOrder) {
  ProcessStateGuard state;
  TempDir dir;
  RegistryStoreHere store(dir);
  std::u16string_view failed;
  ASSERT_TRUE(WriteOptionSettings(
      ParseOk({u"/W", u"/K", u"/F:932", u"/C:LF", u"/RB:a\"b", u"/RA:c", u"/T:8", u"/L:72", u"x"}),
      &failed));
  ASSERT_TRUE(WriteTargetSetting(u"/t/a.txt"));
  EXPECT_EQ(ReadBytes(dir / "quillon/registry.reg"),
            std::string("\xFF\xFE", 2) +
                Utf16LeBytes(u"Windows Registry Editor Version 5.00\r\n\r\n"
                        u"[HKEY_CURRENT_USER\\Software\\Orvalent\\quillon\\CurrentVersion]\r\n"
                        u"\"FileBackup\"=dword:00000001\r\n"
                        u"\"SearchSubFolders\"=dword:00000000\r\n"
                        u"\"CharEncode\"=dword:00000009\r\n"
                        u"\"CharEncodeOther\"=dword:000003a4\r\n"
                        u"\"WriteEncode\"=dword:00000000\r\n"
                        u"\"WriteEncodeOther\"=dword:00000000\r\n"
                        u"\"CrlfTrans\"=dword:00000001\r\n"
                        u"\"CrlfTransWay\"=dword:00000001\r\n"
                        u"\"ZenSp2SpSp\"=dword:00000000\r\n"
                        u"\"ZenSp2Sp\"=dword:00000000\r\n"
                        u"\"DelRightWhiteSpace\"=dword:00000001\r\n"
                        u"\"Tab2Space\"=dword:00000001\r\n"
                        u"\"Tab2SpaceClm\"=dword:00000008\r\n"
                        u"\"DelControlCode\"=dword:00000000\r\n"
                        u"\"ControlCode2Space\"=dword:00000000\r\n"
                        u"\"SETTS\"=dword:00000000\r\n"
                        u"\"ReplaceString\"=dword:00000001\r\n"
                        u"\"BeforeReplace\"=\"a\\\"b\"\r\n"
                        u"\"AfterReplace\"=\"c\"\r\n"
                        u"\"RepUseRegex\"=dword:00000000\r\n"
                        u"\"RepICase\"=dword:00000000\r\n"
                        u"\"Rep1Line\"=dword:00000000\r\n"
                        u"\"RepMatchNotDotNewLine\"=dword:00000000\r\n"
                        u"\"InsLfByte\"=dword:00000000\r\n"
                        u"\"InsLfChar\"=dword:00000048\r\n"
                        u"\"TargetPath\"=\"/t/a.txt\"\r\n\r\n"));
}

TEST(RegistryHandover, AHiveThatCannotBeWrittenNamesTheFirstKey) {
  ProcessStateGuard state;
  TempDir dir;
  RegistryStoreHere store(dir);
  // The file is a link into a folder that does not exist: it reads as empty, and
  // nothing can be written there.
  std::filesystem::create_directories(dir / "quillon");
  std::filesystem::create_symlink(dir / "missing" / "registry.reg",
                                  dir / "quillon" / "registry.reg");
  std::u16string_view failed;
  EXPECT_FALSE(WriteOptionSettings(ParseOk({u"/W", u"x"}), &failed));
  EXPECT_EQ(failed, u"FileBackup");
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
  EXPECT_FALSE(WriteTargetSetting(u"/t/a.txt"));
}
#endif

}  // namespace
