// Handing the options over: the keys written to the store, the lock around a hand-over
// and the start of quillon.
#include <gtest/gtest.h>

#include <errno.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "cli/settings_handover.h"
#include "core/process_flags.h"
#include "platform/process_launch.h"
#include "platform/store_lock.h"
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
TEST(RegistryHandover, WritesTheHiveBelowTheConfigFolder) {
  TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  useIniStore = false;
  std::u16string_view failed;
  EXPECT_TRUE(WriteOptionSettings(ParseOk({u"/C:LF", u"x"}), &failed));
  EXPECT_TRUE(WriteTargetSetting(u"/t/a.txt"));
  EXPECT_EQ(ReadIntSetting(u"CrlfTransWay", -9), 1);
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"/t/a.txt");
  EXPECT_TRUE(std::filesystem::exists(dir / "quillon/registry.reg"));
}
#endif

TEST(StoreLockTest, SecondHolderWaitsForTheFirst) {
  TempDir dir;
  NativePath identity = ToNative(dir / "sub" / "store.lock");  // folder made as needed
  std::atomic<bool> secondHeld{false};
  std::thread second;
  {
    StoreLock first(identity);
    ASSERT_TRUE(first.held());
    second = std::thread([&] {
      StoreLock lock(identity);
      secondHeld = lock.held();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(secondHeld) << "the lock was taken twice";
  }
  second.join();
  EXPECT_TRUE(secondHeld);
}

TEST(StoreLockTest, DifferentStoresDoNotWait) {
  TempDir dir;
  StoreLock a(ToNative(dir / "a.lock"));
  std::atomic<bool> done{false};
  std::thread other([&] {
    StoreLock b(ToNative(dir / "b.lock"));
    done = b.held();
  });
  other.join();
  EXPECT_TRUE(done);
}

#ifndef _WIN32
TEST(StoreLockTest, ALockThatCannotBeMadeIsNotHeldAndSaysWhy) {
  TempDir dir;
  // A folder where the lock file belongs, and a lock below a plain file.
  std::filesystem::create_directory(dir / "store.lock");
  StoreLock folder(ToNative(dir / "store.lock"));
  EXPECT_FALSE(folder.held());
  EXPECT_EQ(folder.error(), static_cast<uint32_t>(EISDIR));
  WriteBytes(dir / "plain", "x");
  StoreLock below(ToNative(dir / "plain" / "store.lock"));
  EXPECT_FALSE(below.held());
  EXPECT_EQ(below.error(), static_cast<uint32_t>(ENOTDIR));
}

// A program made of a shell script in the test's folder.
NativePath Script(const TempDir& dir, const std::string& name, const std::string& body) {
  WriteBytes(dir / name, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(dir / name, std::filesystem::perms::owner_all);
  return ToNative(dir / name);
}

TEST(ProcessLaunchTest, TellsHowTheProgramEnded) {
  TempDir dir;
  uint32_t error = 7;
  ProgramEnd end;
  ASSERT_TRUE(RunProgramAndWait(Script(dir, "ok", "exit 0"), u"/CUIMODE", &error, &end));
  EXPECT_EQ(error, 0u);
  EXPECT_TRUE(end.Normal());

  ASSERT_TRUE(RunProgramAndWait(Script(dir, "three", "exit 3"), u"/CUIMODE", &error, &end));
  EXPECT_FALSE(end.Normal());
  EXPECT_FALSE(end.bySignal);
  EXPECT_EQ(end.code, 3u);
  EXPECT_EQ(ProgramEndText(end, false), u"exit code 3");
  EXPECT_EQ(ProgramEndText(end, true), u"終了コード 3");

  // Killed, as by the out-of-memory killer: no exit code at all, which must not read as 0.
  ASSERT_TRUE(RunProgramAndWait(Script(dir, "killed", "kill -9 $$"), u"/CUIMODE", &error, &end));
  EXPECT_FALSE(end.Normal());
  EXPECT_TRUE(end.bySignal);
  EXPECT_EQ(end.code, 9u);
  EXPECT_EQ(ProgramEndText(end, false), u"signal 9 (Killed)");

  // The argument arrives as one.
  ASSERT_TRUE(RunProgramAndWait(Script(dir, "arg", "[ \"$1\" = \"/CUIMODE\" ] || exit 5"),
                                u"/CUIMODE", &error, &end));
  EXPECT_TRUE(end.Normal());
}
#else
TEST(ProcessLaunchTest, SystemStatusCodesShowInHexadecimal) {
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 0xC0000005u}, false), u"0xC0000005");
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 0xC0000005u}, true), u"0xC0000005");
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 3}, false), u"exit code 3");
  EXPECT_EQ(ProgramEndText(ProgramEnd{false, 0xBFFFFFFFu}, false), u"exit code 3221225471");
}
#endif

TEST(ProcessLaunchTest, MissingProgramReportsFileNotFound) {
  TempDir dir;
  uint32_t error = 0;
  NativePath missing = ToNative(dir / "quillon-missing");
  EXPECT_FALSE(RunProgramAndWait(missing, u"/CUIMODE", &error));
  EXPECT_EQ(error, 2u);
  EXPECT_EQ(LaunchCommandLine(missing, u"/CUIMODE"),
            u"\"" + PathForDisplay(missing) + u"\" /CUIMODE");
}

}  // namespace
