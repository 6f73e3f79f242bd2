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
