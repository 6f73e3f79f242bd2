// The main dialog's resizing and tooltips on windows made from the real templates.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "core/dialog_controls.h"
#include "ui/tooltip_tables.h"
#include "ui/win32/dialog_layout_window.h"
#include "ui/win32/resource.h"
#include "ui/win32/tooltips.h"

namespace {

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

class MainTemplate : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    InitCommonControls();
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(GetParam()),
                                 nullptr, PassiveDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
  }
  RECT Rect(int id) const {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog_, id), &rect);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  HWND dialog_ = nullptr;
};

TEST_P(MainTemplate, LayoutWidensTheAnchoredControlsOnly) {
  auto layout = CreateMainDialogLayout(dialog_);
  ASSERT_NE(layout, nullptr);
  RECT window = {};
  GetWindowRect(dialog_, &window);
  TrackingLimits limits = layout->limits();
  EXPECT_EQ(limits.minWidth, window.right - window.left);
  EXPECT_EQ(limits.minHeight, window.bottom - window.top);
  EXPECT_EQ(limits.maxHeight, window.bottom - window.top);
  EXPECT_EQ(limits.maxWidth, -1) << "no maximum width";

  const int moved[] = {kIdTarget, kIdBrowse, kIdReplaceGroup, kIdSearchText,
                       kIdReplacementText, kIdStart, kIdReplacementLabel};
  RECT before[7];
  for (int i = 0; i < 7; ++i) before[i] = Rect(moved[i]);
  // The window itself grows by 150; the controls follow its client area.
  SetWindowPos(dialog_, nullptr, 0, 0, window.right - window.left + 150,
               window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  layout->Place();
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(moved[i]);
    RECT after = Rect(moved[i]);
    bool stretched = moved[i] == kIdTarget || moved[i] == kIdReplaceGroup ||
                     moved[i] == kIdSearchText || moved[i] == kIdReplacementText;
    int shift = moved[i] == kIdBrowse ? 150 : 0;
    EXPECT_EQ(after.left, before[i].left + shift);
    EXPECT_EQ(after.top, before[i].top);
    EXPECT_EQ(after.right, before[i].right + shift + (stretched ? 150 : 0));
    EXPECT_EQ(after.bottom, before[i].bottom);
  }
}

TEST_P(MainTemplate, MinMaxInfoTakesOnlyTheLimitsThatAreSet) {
  auto layout = CreateMainDialogLayout(dialog_);
  ASSERT_NE(layout, nullptr);
  MINMAXINFO info = {};
  info.ptMinTrackSize = {10, 10};
  info.ptMaxTrackSize = {5000, 5000};
  layout->ApplyTo(info);
  RECT window = {};
  GetWindowRect(dialog_, &window);
  EXPECT_EQ(info.ptMinTrackSize.x, window.right - window.left);
  EXPECT_EQ(info.ptMinTrackSize.y, window.bottom - window.top);
  EXPECT_EQ(info.ptMaxTrackSize.x, 5000);
  EXPECT_EQ(info.ptMaxTrackSize.y, window.bottom - window.top);
}

TEST_P(MainTemplate, TooltipsForEveryRowOfTheLanguage) {
  bool japanese = GetParam() == IDD_MAIN_JAPANESE;
  HWND tooltip = CreateTooltips(dialog_, TooltipTable(japanese));
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(GetWindow(tooltip, GW_OWNER), dialog_);
  EXPECT_NE(GetWindowLongW(tooltip, GWL_STYLE) & TTS_ALWAYSTIP, 0);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), japanese ? 30 : 27);
  // Destroyed with the dialog that owns it.
  DestroyWindow(dialog_);
  dialog_ = nullptr;
  EXPECT_FALSE(IsWindow(tooltip));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, MainTemplate,
                         ::testing::Values(IDD_MAIN_ENGLISH, IDD_MAIN_JAPANESE));

TEST(TooltipsTest, RowsEndAtIdZeroOrNoTextAndMissingControlsArePassedOver) {
  InitCommonControls();
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_ENGLISH),
                                   nullptr, PassiveDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  const TooltipRow noText[] = {{1000, u"a"}, {1001, u"b"}, {1023, nullptr}, {1016, u"c"},
                               {0, nullptr}};
  HWND first = CreateTooltips(dialog, noText);
  EXPECT_EQ(SendMessageW(first, TTM_GETTOOLCOUNT, 0, 0), 2);
  const TooltipRow idZero[] = {{1000, u"a"}, {0, u"b"}, {1016, u"c"}, {0, nullptr}};
  HWND second = CreateTooltips(dialog, idZero);
  EXPECT_EQ(SendMessageW(second, TTM_GETTOOLCOUNT, 0, 0), 1);
  // The English dialog has no banner control: its row is passed over.
  const TooltipRow missing[] = {{kIdBanner, u"x"}, {1000, u"a"}, {0, nullptr}};
  HWND third = CreateTooltips(dialog, missing);
  EXPECT_EQ(SendMessageW(third, TTM_GETTOOLCOUNT, 0, 0), 1);
  DestroyWindow(dialog);
}

TEST(DialogLayoutWindowTest, RowsWithoutAControlAreSkipped) {
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_ENGLISH),
                                   nullptr, PassiveDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  RECT target = {};
  GetWindowRect(GetDlgItem(dialog, kIdTarget), &target);
  DialogLayout layout(dialog, {{kIdBanner, AnchorKind::kKeepBottomStretchWidth},
                               {kIdTarget, AnchorKind::kStretchWidth}});
  RECT window = {};
  GetWindowRect(dialog, &window);
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + 40, window.bottom - window.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  layout.Place();
  RECT after = {};
  GetWindowRect(GetDlgItem(dialog, kIdTarget), &after);
  EXPECT_EQ(after.right - after.left, target.right - target.left + 40);
  DestroyWindow(dialog);
}

}  // namespace
