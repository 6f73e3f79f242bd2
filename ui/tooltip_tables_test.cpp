#include "ui/tooltip_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/dialog_controls.h"

namespace {

std::vector<TooltipRow> Rows(bool japanese) {
  std::vector<TooltipRow> rows;
  for (const TooltipRow* row = TooltipTable(japanese); row->id != 0 && row->text; ++row) {
    rows.push_back(*row);
  }
  return rows;
}

TEST(TooltipTablesTest, BothTablesAreEndedAndHaveTheirRows) {
  for (bool japanese : {true, false}) {
    const TooltipRow* table = TooltipTable(japanese);
    size_t count = Rows(japanese).size();
    EXPECT_EQ(table[count].id, 0);
    EXPECT_EQ(table[count].text, nullptr);
  }
  EXPECT_EQ(Rows(true).size(), 30u);
  EXPECT_EQ(Rows(false).size(), 27u);
}

// The English table is the Japanese one without 1028, 1024 and 1029, in the same order.
TEST(TooltipTablesTest, EnglishHasTheJapaneseOrderWithoutThreeControls) {
  std::vector<int> expected;
  for (const TooltipRow& row : Rows(true)) {
    if (row.id != kIdInsertBytes && row.id != kIdLineEndingList && row.id != kIdInsertChars) {
      expected.push_back(row.id);
    }
  }
  std::vector<int> english;
  for (const TooltipRow& row : Rows(false)) english.push_back(row.id);
  EXPECT_EQ(english, expected);
  EXPECT_EQ(Rows(true).front().id, kIdTarget);
  EXPECT_EQ(Rows(true).back().id, kIdAbout);
}

TEST(TooltipTablesTest, EveryControlOnceWithItsOwnText) {
  for (bool japanese : {true, false}) {
    std::set<int> ids;
    std::set<std::u16string> texts;
    for (const TooltipRow& row : Rows(japanese)) {
      EXPECT_TRUE(ids.insert(row.id).second) << row.id << " twice";
      std::u16string text(row.text);
      EXPECT_FALSE(text.empty()) << row.id;
      EXPECT_TRUE(texts.insert(text).second) << row.id << " repeats another control's text";
    }
    // The banner and the labels without an id have no tooltip.
    EXPECT_EQ(ids.count(kIdBanner), 0u);
  }
}

TEST(TooltipTablesTest, TextsOfTheLanguage) {
  EXPECT_EQ(std::u16string(Rows(false)[0].text),
            u"Specifies the target path. You can use the wildcards.");
  EXPECT_EQ(std::u16string(Rows(true)[0].text),
            u"変換を行うファイルのフルパスを指定します。ワイルドカードも指定できます");
  // The one full-width parenthesis pair among the Japanese texts.
  for (const TooltipRow& row : Rows(true)) {
    if (row.id == kIdLineEndingCheck) {
      EXPECT_EQ(std::u16string(row.text),
                u"改行コードの統一（変換）を行います。右の選択肢から選んでください");
    }
  }
}

}  // namespace
