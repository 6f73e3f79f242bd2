#include "ui/settings_io.h"

#include <gtest/gtest.h>

#include "core/memory_controls.h"
#include "core/process_flags.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"
#include "ui/control_states.h"
#include "ui/dialog_modes.h"

#include "platform/directory.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

class SettingsIoTest : public ::testing::Test {
 protected:
  SettingsIoTest() {
    useIniStore = true;
    SetIniFilePath(ToNative(dir / "quillon.ini"));
    FillLists(controls);
  }
  ProcessStateGuard state;  // first: puts the store and flags back after everything else
  TempDir dir;
  MemoryControls controls;
};

TEST_F(SettingsIoTest, MissingFileGivesTheDefaults) {
  LoadSettings(controls);
  EXPECT_EQ(ReadBytes(dir / "quillon.ini"), std::string("\xFF\xFE\x0D\x00\x0A\x00", 6));
  EXPECT_TRUE(controls.IsChecked(kIdSubfolders));
  EXPECT_FALSE(controls.IsChecked(kIdBackup));
  EXPECT_EQ(controls.GetSelection(kIdInputList), 1);
  EXPECT_EQ(controls.GetSelection(kIdOutputList), 0);
  EXPECT_EQ(controls.GetSelection(kIdLineEndingList), 0);
  EXPECT_EQ(controls.GetText(kIdTabWidth), u"4");
  EXPECT_EQ(controls.GetText(kIdInputCodePage), u"-");
  EXPECT_EQ(controls.GetText(kIdOutputCodePage), u"-");
  EXPECT_FALSE(controls.IsEnabled(kIdInputCodePage));
  EXPECT_FALSE(controls.IsChecked(kIdInsertBytesCheck));
  EXPECT_EQ(controls.GetText(kIdInsertBytes), u"");
}

TEST_F(SettingsIoTest, LoadingRules) {
  WriteIntSetting(u"CharEncode", 10);
  WriteIntSetting(u"WriteEncode", 9);
  WriteIntSetting(u"WriteEncodeOther", -1);
  WriteIntSetting(u"CrlfTransWay", 3);
  WriteIntSetting(u"Tab2SpaceClm", 0);
  WriteIntSetting(u"InsLfChar", 72);
  LoadSettings(controls);
  EXPECT_EQ(controls.GetSelection(kIdInputList), 0) << "10 is no list position";
  EXPECT_EQ(controls.GetSelection(kIdOutputList), 9);
  EXPECT_TRUE(controls.IsEnabled(kIdOutputCodePage));
  EXPECT_EQ(controls.GetText(kIdOutputCodePage), u"4294967295") << "shown unsigned";
  EXPECT_EQ(controls.GetSelection(kIdLineEndingList), 0) << "3 is CR+LF";
  EXPECT_EQ(controls.GetText(kIdTabWidth), u"4");
  EXPECT_TRUE(controls.IsChecked(kIdInsertCharsCheck));
  EXPECT_EQ(controls.GetText(kIdInsertChars), u"72");

  WriteIntSetting(u"CharEncode", -1);
  WriteIntSetting(u"Tab2SpaceClm", 100);
  LoadSettings(controls);
  EXPECT_EQ(controls.GetSelection(kIdInputList), 0);
  EXPECT_EQ(controls.GetText(kIdTabWidth), u"4") << "beyond what the dialog and quillonc store";

  // -1 would expand each TAB to four billion spaces.
  WriteIntSetting(u"Tab2SpaceClm", -1);
  LoadSettings(controls);
  EXPECT_EQ(controls.GetText(kIdTabWidth), u"4");
  WriteIntSetting(u"Tab2SpaceClm", 99);
  LoadSettings(controls);
  EXPECT_EQ(controls.GetText(kIdTabWidth), u"99");
}

TEST_F(SettingsIoTest, SaveAndLoadKeepEveryValue) {
  LoadSettings(controls);
  WideText longText(8191, u'あ');
  controls.SetText(kIdTarget, u"/data/*.txt");
  controls.SetText(kIdSearchText, longText);
  controls.SetText(kIdReplacementText, u"置換後");
  controls.SetChecked(kIdReplaceCheck, true);
  controls.SetChecked(kIdRegexCheck, true);
  controls.SetSelection(kIdInputList, 9);
  controls.SetText(kIdInputCodePage, u"20290");
  controls.SetSelection(kIdOutputList, 4);
  controls.SetText(kIdOutputCodePage, u"-");
  controls.SetChecked(kIdLineEndingCheck, true);
  controls.SetSelection(kIdLineEndingList, 1);
  controls.SetChecked(kIdInsertBytesCheck, false);
  controls.SetText(kIdInsertBytes, u"99");
  controls.SetChecked(kIdSubfolders, false);
  ASSERT_TRUE(SaveSettings(controls));
  EXPECT_EQ(ReadIntSetting(u"WriteEncodeOther", 7), 0) << "\"-\" is saved as 0";
  EXPECT_EQ(ReadIntSetting(u"InsLfByte", 7), 0) << "unchecked saves 0";

  MemoryControls loaded;
  FillLists(loaded);
  LoadSettings(loaded);
  EXPECT_EQ(loaded.GetText(kIdTarget), u"/data/*.txt");
  EXPECT_EQ(loaded.GetText(kIdSearchText), longText);
  EXPECT_EQ(loaded.GetText(kIdReplacementText), u"置換後");
  EXPECT_TRUE(loaded.IsChecked(kIdRegexCheck));
  EXPECT_EQ(loaded.GetSelection(kIdInputList), 9);
  EXPECT_EQ(loaded.GetText(kIdInputCodePage), u"20290");
  EXPECT_EQ(loaded.GetSelection(kIdLineEndingList), 1);
  EXPECT_FALSE(loaded.IsChecked(kIdSubfolders));
}

// quillon in console mode with a store it cannot read: it says so, naming the file, and
// runs no job.
class UnreadableStoreTest : public SettingsIoTest {
 protected:
  UnreadableStoreTest() {
    japaneseUi = false;  // the base's guard puts the flags back
    context_.host = &host_;
  }
  NativePath Ini() const { return ToNative(dir / "quillon.ini"); }

  RecordingHost host_;
  EngineContext context_;
};

TEST_F(UnreadableStoreTest, AFolderInTheStoresPlaceIsNamedAndRunsNothing) {
  consoleMode = true;
  EXPECT_TRUE(CheckStoreReadable(host_)) << "a missing store reads as the defaults";
  EXPECT_TRUE(host_.messages.empty());
  std::filesystem::create_directory(dir / "quillon.ini");
  MemoryControls fresh;
  EXPECT_TRUE(InitializeMainDialog(fresh, context_));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], u"Cannot read the settings " +
                                   PathForDisplay(ToNative(dir / "quillon.ini")) +
                                   u" - not a regular file\n");
}

#ifndef _WIN32
TEST_F(UnreadableStoreTest, TheReasonIsTheSystemsOrOursInBothLanguages) {
  consoleMode = true;
  ASSERT_EQ(mkfifo(Ini().c_str(), 0600), 0);
  japaneseUi = true;
  EXPECT_FALSE(CheckStoreReadable(host_));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], u"設定ファイル " + PathForDisplay(Ini()) +
                                   u" を読み込めません - 通常のファイルではありません\n");
  EXPECT_TRUE(std::filesystem::is_fifo(dir / "quillon.ini"));

  // Below a plain file: the system's reason.
  host_.messages.clear();
  japaneseUi = false;
  WriteBytes(dir / "plain", "x");
  SetIniFilePath(ToNative(dir / "plain" / "quillon.ini"));
  EXPECT_FALSE(CheckStoreReadable(host_));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], u"Cannot read the settings " +
                                   PathForDisplay(ToNative(dir / "plain" / "quillon.ini")) +
                                   u" - Not a directory\n");
}

TEST_F(UnreadableStoreTest, ARelativeStorePathIsNamedInFull) {
  consoleMode = true;
  std::filesystem::create_directory(dir / "quillon.ini");
  NativePath before;
  ASSERT_TRUE(GetCurrentFolder(&before));
  ASSERT_TRUE(SetCurrentFolder(ToNative(dir.path())));
  SetIniFilePath("./quillon.ini");
  bool readable = CheckStoreReadable(host_);
  SetCurrentFolder(before);
  EXPECT_FALSE(readable);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], u"Cannot read the settings " + PathForDisplay(Ini()) +
                                   u" - not a regular file\n");
}
#endif

}  // namespace

namespace {

// Every control set away from its default, each to a value of its own, so that a key
// saved from or loaded into the wrong control shows.
const std::pair<int, const char16_t*> kEveryText[] = {
    {kIdTarget, u"/data/*.txt"}, {kIdInputCodePage, u"20290"}, {kIdOutputCodePage, u"65001"},
    {kIdTabWidth, u"8"},         {kIdSearchText, u"before"},   {kIdReplacementText, u" after "},
    {kIdInsertBytes, u"120"},
};
const std::pair<int, bool> kEveryCheck[] = {
    {kIdBackup, true},         {kIdSubfolders, false},        {kIdLineEndingCheck, true},
    {kIdFullWidthToTwo, true}, {kIdFullWidthToOne, false},    {kIdTrimWhiteSpace, true},
    {kIdTabsCheck, true},      {kIdDeleteControlCodes, false}, {kIdBlankControlCodes, true},
    {kIdKeepTimestamps, true}, {kIdReplaceCheck, true},       {kIdRegexCheck, true},
    {kIdIgnoreCase, false},    {kIdSingleLine, true},         {kIdDotNotNewline, true},
    {kIdInsertBytesCheck, true}, {kIdInsertCharsCheck, false},
};
const std::pair<int, int> kEverySelection[] = {
    {kIdInputList, 9}, {kIdOutputList, 9}, {kIdLineEndingList, 2}};

void SetEveryControl(MemoryControls& controls) {
  for (auto [id, text] : kEveryText) controls.SetText(id, text);
  for (auto [id, checked] : kEveryCheck) controls.SetChecked(id, checked);
  for (auto [id, position] : kEverySelection) controls.SetSelection(id, position);
  controls.SetText(kIdInsertChars, u"77");  // not saved: its box is unchecked
}

TEST_F(SettingsIoTest, SavedFileHoldsEveryKeyInItsPlace) {
  SetEveryControl(controls);
  ASSERT_TRUE(SaveSettings(controls));
  // From the section on: what comes before it is the system's profile functions' own.
  std::string file = ReadBytes(dir / "quillon.ini");
  size_t section = file.find(Utf16LeBytes(u"[Main]"));
  ASSERT_NE(section, std::string::npos);
  EXPECT_EQ(file.substr(section), Utf16LeBytes(u"[Main]\r\n"
                                                 u"TargetPath=/data/*.txt\r\n"
                                                 u"FileBackup=1\r\n"
                                                 u"SearchSubFolders=0\r\n"
                                                 u"CharEncode=9\r\n"
                                                 u"CharEncodeOther=20290\r\n"
                                                 u"WriteEncode=9\r\n"
                                                 u"WriteEncodeOther=65001\r\n"
                                                 u"CrlfTrans=1\r\n"
                                                 u"CrlfTransWay=2\r\n"
                                                 u"ZenSp2SpSp=1\r\n"
                                                 u"ZenSp2Sp=0\r\n"
                                                 u"DelRightWhiteSpace=1\r\n"
                                                 u"Tab2Space=1\r\n"
                                                 u"Tab2SpaceClm=8\r\n"
                                                 u"DelControlCode=0\r\n"
                                                 u"ControlCode2Space=1\r\n"
                                                 u"SETTS=1\r\n"
                                                 u"ReplaceString=1\r\n"
                                                 u"BeforeReplace=before\r\n"
                                                 u"AfterReplace=\" after \"\r\n"
                                                 u"RepUseRegex=1\r\n"
                                                 u"RepICase=0\r\n"
                                                 u"Rep1Line=1\r\n"
                                                 u"RepMatchNotDotNewLine=1\r\n"
                                                 u"InsLfByte=120\r\n"
                                                 u"InsLfChar=0\r\n"));
}

TEST_F(SettingsIoTest, EveryKeyLoadsIntoItsOwnControls) {
  SetEveryControl(controls);
  ASSERT_TRUE(SaveSettings(controls));
  MemoryControls loaded;
  FillLists(loaded);
  LoadSettings(loaded);
  for (auto [id, text] : kEveryText) EXPECT_EQ(loaded.GetText(id), text) << "control " << id;
  for (auto [id, checked] : kEveryCheck) {
    EXPECT_EQ(loaded.IsChecked(id), checked) << "control " << id;
  }
  for (auto [id, position] : kEverySelection) {
    EXPECT_EQ(loaded.GetSelection(id), position) << "control " << id;
  }
  EXPECT_TRUE(loaded.IsEnabled(kIdInputCodePage)) << "the code page of the user's own";
  EXPECT_TRUE(loaded.IsEnabled(kIdOutputCodePage));
  EXPECT_EQ(loaded.GetText(kIdInsertChars), u"") << "0 leaves the edit as it was";
}

#ifndef _WIN32
// quillon /OR and /RO: the settings copied from the INI file to the registry store (a
// .reg file below the test's folder here) and back.
class CopyModeTest : public UnreadableStoreTest {
 protected:
  CopyModeTest() {
    const char* config = getenv("XDG_CONFIG_HOME");
    hadConfig_ = config != nullptr;
    if (config) savedConfig_ = config;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    savedCopy_ = copySettingsMode;
    copySettingsMode = true;
  }
  ~CopyModeTest() override {
    copySettingsMode = savedCopy_;
    if (hadConfig_) setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
  }
  // The INI file from its section on.
  std::string IniSection() {
    std::string file = ReadBytes(dir / "quillon.ini");
    size_t section = file.find(Utf16LeBytes(u"[Main]"));
    return section == std::string::npos ? std::string() : file.substr(section);
  }

  bool hadConfig_ = false, savedCopy_ = false;
  std::string savedConfig_;
};

TEST_F(CopyModeTest, SettingsGoToTheRegistryAndBackUnchanged) {
  SetEveryControl(controls);
  ASSERT_TRUE(SaveSettings(controls));
  const std::string saved = IniSection();

  useIniStore = true;  // /OR
  MemoryControls toRegistry;
  EXPECT_TRUE(InitializeMainDialog(toRegistry, context_));
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0].text,
            u"Settings saved to HKCU\\Software\\Orvalent\\quillon\\CurrentVersion.");
  ASSERT_FALSE(useIniStore);
  EXPECT_EQ(ReadIntSetting(u"Tab2SpaceClm", 0), 8);
  EXPECT_EQ(ReadIntSetting(u"InsLfByte", 0), 120);
  EXPECT_EQ(ReadTextSetting(u"AfterReplace"), u" after ");

  std::filesystem::remove(dir / "quillon.ini");
  MemoryControls toIni;  // /RO, with useIniStore false as /OR left it
  EXPECT_TRUE(InitializeMainDialog(toIni, context_));
  ASSERT_EQ(host_.boxes.size(), 2u);
  EXPECT_EQ(host_.boxes[1].text, u"Settings saved to .\\.\\quillon.ini.");
  EXPECT_EQ(IniSection(), saved);
}

TEST_F(CopyModeTest, ARegistryStoreThatCannotBeWrittenIsReported) {
  SetEveryControl(controls);
  ASSERT_TRUE(SaveSettings(controls));
  // A link into a folder that does not exist: it reads as empty and takes no writes.
  std::filesystem::create_directories(dir / "quillon");
  std::filesystem::create_symlink(dir / "missing" / "registry.reg",
                                  dir / "quillon" / "registry.reg");
  useIniStore = true;
  MemoryControls toRegistry;
  EXPECT_TRUE(InitializeMainDialog(toRegistry, context_));
  ASSERT_EQ(host_.boxes.size(), 1u);
  EXPECT_EQ(host_.boxes[0].text,
            u"Cannot save settings - HKCU\\Software\\Orvalent\\quillon\\CurrentVersion.");
  EXPECT_EQ(host_.boxes[0].style, kBoxIconWarning | kBoxOk);
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}
#endif

}  // namespace
