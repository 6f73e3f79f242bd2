#include "ui/settings_io.h"

#include <gtest/gtest.h>

#include "core/process_flags.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"
#include "ui/control_states.h"
#include "ui/memory_controls.h"

namespace {

class SettingsIoTest : public ::testing::Test {
 protected:
  SettingsIoTest() {
    useIniStore = true;
    SetIniFilePath(ToNative(dir / "quillon.ini"));
    FillLists(controls);
  }
  ~SettingsIoTest() override {
    useIniStore = false;
    SetIniFilePath(PathFromWide(u"quillon.ini"));
  }
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
  EXPECT_EQ(controls.GetText(kIdTabWidth), u"100");
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

}  // namespace
