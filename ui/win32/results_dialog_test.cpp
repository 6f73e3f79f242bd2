// Closing the results dialog at the end of a run: the settings saved are the main
// dialog's, and a failed save is reported.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/dialog_controls.h"
#include "core/process_flags.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"
#include "ui/control_states.h"
#include "ui/settings_io.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/resource.h"
#include "ui/win32/window_controls.h"

namespace {

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// What the closer found open, in order: each window's caption and its static texts.
struct ClosedWindow {
  std::wstring caption;
  std::wstring texts;
};
std::vector<ClosedWindow> closed;
HWND mainDialog = nullptr;

BOOL CALLBACK CollectStatic(HWND child, LPARAM texts) {
  wchar_t name[16] = L"";
  GetClassNameW(child, name, 16);
  wchar_t text[512] = L"";
  GetWindowTextW(child, text, 512);
  if (_wcsicmp(name, L"Static") == 0 && text[0]) *reinterpret_cast<std::wstring*>(texts) += text;
  return TRUE;
}

BOOL CALLBACK CloseOne(HWND window, LPARAM) {
  wchar_t name[16] = L"";
  GetClassNameW(window, name, 16);
  if (window == mainDialog || !IsWindowVisible(window) || wcscmp(name, L"#32770") != 0) {
    return TRUE;
  }
  ClosedWindow seen;
  wchar_t caption[128] = L"";
  GetWindowTextW(window, caption, 128);
  seen.caption = caption;
  EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&seen.texts));
  closed.push_back(seen);
  // The results dialog, the Esc key and a box with only OK all take IDCANCEL.
  PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return FALSE;
}

// Runs inside whatever modal loop is open: closes the dialog or box on top, one a tick.
void CALLBACK CloseWhatOpens(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), CloseOne, 0);
}

class ResultsCloseTest : public ::testing::Test {
 protected:
  ResultsCloseTest() {
    consoleMode = false;
    japaneseUi = false;
    useIniStore = true;
    SetIniFilePath(ToNative(dir / "quillon.ini"));
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN_ENGLISH),
                                nullptr, PassiveDialogProc, 0);
    mainDialog = dialog;
    host.SetDialog(dialog);
    closed.clear();
  }
  ~ResultsCloseTest() override {
    if (timer) KillTimer(nullptr, timer);
    if (dialog) DestroyWindow(dialog);
    mainDialog = nullptr;
  }
  void ShowAndClose() {
    timer = SetTimer(nullptr, 0, 300, CloseWhatOpens);
    host.ShowResults(u"Target files:1, Replaced files:1", u"No errors occured.");
    KillTimer(nullptr, timer);
    timer = 0;
  }

  ProcessStateGuard state;  // first: puts the store and flags back after everything else
  TempDir dir;
  HWND dialog = nullptr;
  DialogHost host;
  UINT_PTR timer = 0;
};

TEST_F(ResultsCloseTest, SavesTheMainDialogsSettings) {
  ASSERT_NE(dialog, nullptr);
  WindowControls controls(dialog);
  FillLists(controls);
  LoadSettings(controls);
  // The results dialog's own controls carry ids 1031, 1032 and 1033: in the main dialog
  // the output encoding, full-width to one space and regular expressions.
  controls.SetText(kIdTarget, u"C:\\data\\*.txt");
  controls.SetSelection(kIdOutputList, 3);
  controls.SetChecked(kIdFullWidthToOne, true);
  controls.SetChecked(kIdRegexCheck, true);
  controls.SetChecked(kIdBackup, true);
  std::filesystem::remove(dir / "quillon.ini");

  ShowAndClose();
  ASSERT_EQ(closed.size(), 1u) << "the results dialog only, no warning";
  EXPECT_EQ(closed[0].caption, ToWindowText(u"実行結果"));
  EXPECT_EQ(ReadTextSetting(u"TargetPath"), u"C:\\data\\*.txt");
  EXPECT_EQ(ReadIntSetting(u"WriteEncode", -1), 3);
  EXPECT_EQ(ReadIntSetting(u"ZenSp2Sp", -1), 1);
  EXPECT_EQ(ReadIntSetting(u"RepUseRegex", -1), 1);
  EXPECT_EQ(ReadIntSetting(u"FileBackup", -1), 1);
  EXPECT_EQ(ReadIntSetting(u"SearchSubFolders", -1), 1) << "every key, defaults included";
}

TEST_F(ResultsCloseTest, AFailedSaveIsWarnedAbout) {
  ASSERT_NE(dialog, nullptr);
  WindowControls controls(dialog);
  FillLists(controls);
  LoadSettings(controls);
  // A folder where the INI file should be: no key can be written.
  std::filesystem::remove(dir / "quillon.ini");
  std::filesystem::create_directory(dir / "quillon.ini");

  ShowAndClose();
  ASSERT_EQ(closed.size(), 2u);
  EXPECT_EQ(closed[0].caption, ToWindowText(u"実行結果"));
  EXPECT_EQ(closed[1].caption, L"Tidewright");
  EXPECT_EQ(closed[1].texts, L"Cannot save settings - .\\quillon.ini.");
}

}  // namespace
