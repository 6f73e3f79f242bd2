#include "ui/control_states.h"

#include <gtest/gtest.h>

#include "core/memory_controls.h"
#include "core/process_flags.h"
#include "tests/test_support.h"

namespace {

class ControlStatesTest : public ::testing::Test {
 protected:
  ControlStatesTest() {
    FillLists(c);
    c.SetSelection(kIdInputList, 1);
    c.SetSelection(kIdOutputList, 0);
    c.SetSelection(kIdLineEndingList, 0);
    c.SetText(kIdTarget, u"C:\\data\\*.txt");
  }
  bool StartEnabled() {
    UpdateControlStates(c);
    return c.IsEnabled(kIdStart);
  }
  MemoryControls c;
};

TEST_F(ControlStatesTest, StartNeedsATargetAndAConversion) {
  c.SetChecked(kIdBackup, true);
  c.SetChecked(kIdSubfolders, true);
  c.SetChecked(kIdKeepTimestamps, true);
  EXPECT_FALSE(StartEnabled()) << "backup, subfolders and time stamps are no conversion";
  c.SetSelection(kIdOutputList, 1);
  EXPECT_TRUE(StartEnabled());
  c.SetText(kIdTarget, u"");
  EXPECT_FALSE(StartEnabled());
  c.SetText(kIdTarget, u"x");
  c.SetSelection(kIdOutputList, 0);
  c.SetChecked(kIdTrimWhiteSpace, true);
  EXPECT_TRUE(StartEnabled());
}

TEST_F(ControlStatesTest, StartNeedsTheNumbersItsOptionsUse) {
  c.SetChecked(kIdReplaceCheck, true);
  EXPECT_FALSE(StartEnabled()) << "replacement without a search text";
  c.SetText(kIdSearchText, u"a");
  EXPECT_TRUE(StartEnabled()) << "an empty replacement text is fine";
  c.SetChecked(kIdTabsCheck, true);
  c.SetText(kIdTabWidth, u"0");
  EXPECT_FALSE(StartEnabled());
  c.SetText(kIdTabWidth, u"8");
  EXPECT_TRUE(StartEnabled());
  c.SetChecked(kIdInsertBytesCheck, true);
  EXPECT_FALSE(StartEnabled());
  c.SetText(kIdInsertBytes, u"80");
  EXPECT_TRUE(StartEnabled());
  c.SetChecked(kIdInsertCharsCheck, true);
  c.SetText(kIdInsertChars, u"x1");
  EXPECT_FALSE(StartEnabled());
  c.SetText(kIdInsertChars, u"72");
  EXPECT_TRUE(StartEnabled());

  c.SetSelection(kIdOutputList, 9);
  OnEncodingListChanged(c, kIdOutputList);
  EXPECT_TRUE(c.IsEnabled(kIdOutputCodePage));
  EXPECT_EQ(c.GetText(kIdOutputCodePage), u"");
  EXPECT_FALSE(c.IsEnabled(kIdStart)) << "a typed code page of 0";
  c.SetText(kIdOutputCodePage, u"437");
  EXPECT_TRUE(StartEnabled());
  c.SetSelection(kIdInputList, 9);
  OnEncodingListChanged(c, kIdInputList);
  EXPECT_FALSE(c.IsEnabled(kIdStart));
}

TEST_F(ControlStatesTest, EncodingListShowsTheCodePage) {
  c.SetSelection(kIdOutputList, 1);
  OnEncodingListChanged(c, kIdOutputList);
  EXPECT_EQ(c.GetText(kIdOutputCodePage), u"932");
  EXPECT_FALSE(c.IsEnabled(kIdOutputCodePage));
  c.SetSelection(kIdOutputList, 0);
  OnEncodingListChanged(c, kIdOutputList);
  EXPECT_EQ(c.GetText(kIdOutputCodePage), u"-");
}

TEST_F(ControlStatesTest, EbcdicInputForcesCr) {
  c.SetSelection(kIdLineEndingList, 1);
  c.SetSelection(kIdInputList, 8);
  UpdateControlStates(c);
  EXPECT_EQ(c.GetSelection(kIdLineEndingList), 2);
  EXPECT_FALSE(c.IsEnabled(kIdLineEndingList));
  c.SetSelection(kIdInputList, 4);
  UpdateControlStates(c);
  EXPECT_TRUE(c.IsEnabled(kIdLineEndingList));
  EXPECT_EQ(c.GetSelection(kIdLineEndingList), 2) << "stays on CR";
  c.SetSelection(kIdInputList, 9);
  c.SetText(kIdInputCodePage, u"20290");
  UpdateControlStates(c);
  EXPECT_TRUE(c.IsEnabled(kIdLineEndingList)) << "a typed 20290 does not count";
}

TEST_F(ControlStatesTest, DependentControls) {
  c.SetChecked(kIdBlankControlCodes, true);
  c.SetChecked(kIdDeleteControlCodes, true);
  UpdateControlStates(c);
  EXPECT_FALSE(c.IsEnabled(kIdBlankControlCodes));
  EXPECT_TRUE(c.IsChecked(kIdBlankControlCodes)) << "keeps its check mark";

  c.SetChecked(kIdReplaceCheck, true);
  UpdateControlStates(c);
  EXPECT_TRUE(c.IsEnabled(kIdSearchText));
  EXPECT_TRUE(c.IsEnabled(kIdIgnoreCase));
  EXPECT_FALSE(c.IsEnabled(kIdSingleLine)) << "regular-expression options need the expression";
  EXPECT_FALSE(c.IsEnabled(kIdDotNotNewline));
  c.SetChecked(kIdRegexCheck, true);
  UpdateControlStates(c);
  EXPECT_TRUE(c.IsEnabled(kIdSingleLine));
  c.SetChecked(kIdReplaceCheck, false);
  UpdateControlStates(c);
  EXPECT_FALSE(c.IsEnabled(kIdSearchText));
  EXPECT_FALSE(c.IsEnabled(kIdRegexCheck));
  EXPECT_FALSE(c.IsEnabled(kIdTabWidth));
}

TEST(FillLists, TextsOfBothLanguages) {
  ProcessStateGuard state;
  japaneseUi = false;
  MemoryControls c;
  FillLists(c);
  japaneseUi = true;
  ASSERT_EQ(c.ListItems(kIdInputList).size(), 10u);
  EXPECT_EQ(c.ListItems(kIdInputList)[0], u"Automatic Detection");
  EXPECT_EQ(c.ListItems(kIdOutputList)[0], u"None");
  EXPECT_EQ(c.ListItems(kIdInputList)[9], u"その他 (右にコードページを指定)");
  EXPECT_EQ(c.ListItems(kIdLineEndingList)[1], u"CR or CRLF -> LF");
  MemoryControls j;
  FillLists(j);
  EXPECT_EQ(j.ListItems(kIdLineEndingList)[2], u"CRに統一   (単独のLF、またはCR+LFがあれば、CRに変換)");
}

}  // namespace
