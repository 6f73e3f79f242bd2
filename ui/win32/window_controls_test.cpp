// The Win32 dialogs from their real templates: what the templates hold, the controls
// through WindowControls, the results dialog and the dialog's message host.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/dialog_controls.h"
#include "core/process_flags.h"
#include "settings/settings_store.h"
#include "tests/test_support.h"
#include "ui/control_states.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/resource.h"
#include "ui/win32/results_dialog.h"
#include "ui/win32/window_controls.h"

namespace {

INT_PTR CALLBACK PassiveDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A dialog from a template, created without being shown and destroyed with the test.
class TemplateDialog {
 public:
  explicit TemplateDialog(int templateId, DLGPROC proc = PassiveDialogProc, LPARAM init = 0)
      : window_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                   proc, init)) {}
  ~TemplateDialog() {
    if (window_) DestroyWindow(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrW(window, GWL_STYLE); }

std::wstring W(std::u16string_view text) { return ToWindowText(text); }

// --- The templates -------------------------------------------------------------------

constexpr int kCheckBoxes[] = {1023, 1016, 1027, 1002, 1005, 1032, 1006, 1007, 1010, 1011,
                               1026, 1037, 1012, 1033, 1019, 1021, 1022};
constexpr int kNumberEdits[] = {1034, 1028, 1008, 1029, 1036};
constexpr int kTextEdits[] = {1000, 1013, 1014};
constexpr int kLists[] = {1025, 1024, 1031};
constexpr int kButtons[] = {1, 2, 9, 1001, 1015};
constexpr int kLabels[] = {1009, 1017, 1018};

void ExpectMainTemplate(int templateId) {
  SCOPED_TRACE(templateId);
  TemplateDialog dialog(templateId);
  HWND d = dialog.get();
  ASSERT_NE(d, nullptr);
  LONG_PTR style = StyleOf(d);
  for (LONG_PTR bit : {LONG_PTR{WS_CAPTION}, LONG_PTR{WS_SYSMENU}, LONG_PTR{WS_MINIMIZEBOX},
                       LONG_PTR{WS_THICKFRAME}}) {
    EXPECT_EQ(style & bit, bit);
  }
  EXPECT_TRUE(GetWindowLongPtrW(d, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

  for (int id : kCheckBoxes) {
    HWND c = GetDlgItem(d, id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(StyleOf(c) & BS_TYPEMASK, BS_AUTOCHECKBOX) << id;
  }
  for (int id : kNumberEdits) {
    HWND c = GetDlgItem(d, id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(ClassOf(c), L"Edit") << id;
    EXPECT_TRUE(StyleOf(c) & ES_NUMBER) << id;
  }
  for (int id : kTextEdits) {
    HWND c = GetDlgItem(d, id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(ClassOf(c), L"Edit") << id;
    EXPECT_FALSE(StyleOf(c) & ES_NUMBER) << id;
  }
  for (int id : kLists) {
    HWND c = GetDlgItem(d, id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_EQ(ClassOf(c), L"ComboBox") << id;
    EXPECT_EQ(StyleOf(c) & 3, CBS_DROPDOWNLIST) << id;
  }
  for (int id : kButtons) ASSERT_NE(GetDlgItem(d, id), nullptr) << id;
  for (int id : kLabels) ASSERT_NE(GetDlgItem(d, id), nullptr) << id;
  ASSERT_NE(GetDlgItem(d, 1020), nullptr);
  EXPECT_EQ(StyleOf(GetDlgItem(d, 1020)) & BS_TYPEMASK, BS_GROUPBOX);

  EXPECT_EQ(StyleOf(GetDlgItem(d, 1)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(LOWORD(SendMessageW(d, DM_GETDEFID, 0, 0)), 1);
  // The code-page edits start disabled; LoadSettings decides about them.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1034)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 1036)));
}

TEST(MainDialogTemplates, HoldEveryControlWithItsKind) {
  ExpectMainTemplate(IDD_MAIN_JAPANESE);
  ExpectMainTemplate(IDD_MAIN_ENGLISH);
}

TEST(MainDialogTemplates, TextsCarryTheirMarksAndQuotes) {
  TemplateDialog japanese(IDD_MAIN_JAPANESE);
  TemplateDialog english(IDD_MAIN_ENGLISH);
  ASSERT_TRUE(japanese.get() && english.get());
  EXPECT_EQ(TextOf(japanese.get()), W(u"タイドライト"));
  EXPECT_EQ(TextOf(english.get()), L"Tidewright");
  EXPECT_EQ(TextOf(GetDlgItem(japanese.get(), 1022)), W(u"\". \"(ドット)を改行にマッチさせない(&N)"));
  EXPECT_EQ(TextOf(GetDlgItem(japanese.get(), 1)), W(u"開始(&S)"));
  EXPECT_EQ(TextOf(GetDlgItem(english.get(), 1)), L"&Start");
  EXPECT_EQ(TextOf(GetDlgItem(english.get(), 1027)), L"Inserts CR/LF every n characters(&M).  --->");
  EXPECT_EQ(TextOf(GetDlgItem(japanese.get(), 1009)), W(u"タブのカラム数を指定(&U)："));
}

TEST(MainDialogTemplates, BannerOnlyInTheJapaneseDialogAndHidden) {
  TemplateDialog japanese(IDD_MAIN_JAPANESE);
  TemplateDialog english(IDD_MAIN_ENGLISH);
  HWND banner = GetDlgItem(japanese.get(), kIdBanner);
  ASSERT_NE(banner, nullptr);
  EXPECT_FALSE(StyleOf(banner) & WS_VISIBLE);
  EXPECT_EQ(StyleOf(banner) & SS_TYPEMASK, SS_BITMAP);
  EXPECT_NE(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(GetDlgItem(english.get(), kIdBanner), nullptr);
}

TEST(MainDialogTemplates, IconLoads) {
  EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON)), nullptr);
}

// --- WindowControls ------------------------------------------------------------------

TEST(WindowControls, TextsOfAnyLengthAndLanguage) {
  TemplateDialog dialog(IDD_MAIN_ENGLISH);
  WindowControls controls(dialog.get());
  // The typing limit of the target edit does not cut a text set by the program.
  SendDlgItemMessageW(dialog.get(), kIdTarget, EM_LIMITTEXT, 519, 0);
  WideText longPath(2000, u'a');
  longPath += u"\\日本語.txt";
  controls.SetText(kIdTarget, longPath);
  EXPECT_EQ(controls.GetText(kIdTarget), longPath);

  controls.SetText(kIdSearchText, u"𠮷野家");  // a surrogate pair survives
  EXPECT_EQ(controls.GetText(kIdSearchText), u"𠮷野家");
  controls.SetText(kIdSearchText, u"");
  EXPECT_EQ(controls.GetText(kIdSearchText), u"");
  EXPECT_EQ(controls.GetText(4242), u"");  // no such control
}

TEST(WindowControls, CheckStates) {
  TemplateDialog dialog(IDD_MAIN_ENGLISH);
  WindowControls controls(dialog.get());
  EXPECT_FALSE(controls.IsChecked(kIdBackup));
  controls.SetChecked(kIdBackup, true);
  EXPECT_TRUE(controls.IsChecked(kIdBackup));
  EXPECT_EQ(IsDlgButtonChecked(dialog.get(), kIdBackup), BST_CHECKED);
  controls.SetChecked(kIdBackup, false);
  EXPECT_FALSE(controls.IsChecked(kIdBackup));
  // Any checked state counts.
  CheckDlgButton(dialog.get(), kIdBackup, BST_INDETERMINATE);
  EXPECT_TRUE(controls.IsChecked(kIdBackup));
}

TEST(WindowControls, ListSelectionAndItems) {
  ProcessStateGuard state;
  japaneseUi = false;
  TemplateDialog dialog(IDD_MAIN_ENGLISH);
  WindowControls controls(dialog.get());
  EXPECT_EQ(controls.GetSelection(kIdOutputList), -1);
  FillLists(controls);
  EXPECT_EQ(SendDlgItemMessageW(dialog.get(), kIdLineEndingList, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendDlgItemMessageW(dialog.get(), kIdInputList, CB_GETCOUNT, 0, 0), 10);
  EXPECT_EQ(SendDlgItemMessageW(dialog.get(), kIdOutputList, CB_GETCOUNT, 0, 0), 10);
  // Items keep their order: the list position is the stored setting.
  wchar_t item[100] = L"";
  SendDlgItemMessageW(dialog.get(), kIdOutputList, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"None");
  SendDlgItemMessageW(dialog.get(), kIdLineEndingList, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item));
  EXPECT_STREQ(item, L"LF or CRLF -> CR");

  controls.SetSelection(kIdOutputList, 9);
  EXPECT_EQ(controls.GetSelection(kIdOutputList), 9);
  controls.SetSelection(kIdOutputList, 10);  // one beyond: nothing selected
  EXPECT_EQ(controls.GetSelection(kIdOutputList), -1);
  controls.SetSelection(kIdOutputList, 3);
  controls.SetSelection(kIdOutputList, -1);
  EXPECT_EQ(controls.GetSelection(kIdOutputList), -1);
}

// The enabling rules on real windows: the same logic the memory controls test, here
// through combo boxes and buttons as the dialog has them.
TEST(WindowControls, EnablingRulesOnTheRealDialog) {
  ProcessStateGuard state;
  japaneseUi = true;
  TemplateDialog dialog(IDD_MAIN_JAPANESE);
  WindowControls c(dialog.get());
  FillLists(c);
  c.SetSelection(kIdInputList, 1);
  c.SetSelection(kIdOutputList, 0);
  c.SetSelection(kIdLineEndingList, 0);
  UpdateControlStates(c);
  EXPECT_FALSE(c.IsEnabled(kIdStart));  // no target

  c.SetText(kIdTarget, u"C:\\texts\\*.txt");
  UpdateControlStates(c);
  EXPECT_FALSE(c.IsEnabled(kIdStart));  // nothing to do
  c.SetSelection(kIdOutputList, 2);
  OnEncodingListChanged(c, kIdOutputList);
  EXPECT_TRUE(c.IsEnabled(kIdStart));
  EXPECT_FALSE(c.IsEnabled(kIdOutputCodePage));
  EXPECT_NE(c.GetText(kIdOutputCodePage), u"");

  c.SetSelection(kIdOutputList, 9);
  OnEncodingListChanged(c, kIdOutputList);
  EXPECT_TRUE(c.IsEnabled(kIdOutputCodePage));
  EXPECT_FALSE(c.IsEnabled(kIdStart));  // a code page is to be typed
  c.SetText(kIdOutputCodePage, u"1252");
  UpdateControlStates(c);
  EXPECT_TRUE(c.IsEnabled(kIdStart));

  // EBCDIC input: the line-ending list goes to CR and is locked.
  c.SetSelection(kIdInputList, 8);
  UpdateControlStates(c);
  EXPECT_EQ(c.GetSelection(kIdLineEndingList), 2);
  EXPECT_FALSE(c.IsEnabled(kIdLineEndingList));
}

// --- Results dialog ------------------------------------------------------------------

TEST(ResultsDialog, ShowsSummaryAndEveryMessage) {
  WideText details;
  for (int i = 0; i < 3000; ++i) {
    details += u"file-";
    details += static_cast<char16_t>(u'0' + i % 10);
    details += u".txt は空です。\r\n";
  }
  ASSERT_GT(details.size(), 40000u);  // beyond an edit control's default limit
  ResultsTexts texts{u"3000個中 0個のファイルの置換を行いました。", details};
  for (int templateId : {IDD_RESULTS_JAPANESE, IDD_RESULTS_ENGLISH}) {
    SCOPED_TRACE(templateId);
    TemplateDialog dialog(templateId, ResultsDialogProc, reinterpret_cast<LPARAM>(&texts));
    ASSERT_NE(dialog.get(), nullptr);
    EXPECT_EQ(TextOf(dialog.get()), W(u"実行結果"));
    EXPECT_EQ(TextOf(GetDlgItem(dialog.get(), IDC_RESULTS_SUMMARY)), W(texts.summary));
    EXPECT_EQ(TextOf(GetDlgItem(dialog.get(), IDC_RESULTS_DETAILS)), W(details));
    HWND edit = GetDlgItem(dialog.get(), IDC_RESULTS_DETAILS);
    LONG_PTR style = StyleOf(edit);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_NE(GetDlgItem(dialog.get(), IDCANCEL), nullptr);
  }
}

// --- The dialog's message host -------------------------------------------------------

TEST(DialogHost, CollectsMessagesInDialogMode) {
  ProcessStateGuard state;
  consoleMode = false;
  DialogHost host;
  resultsText = u"a.txt は空です。\r\n";
  host.ReportMessage(u"b.txt: 強制変換しました\r\n");
  EXPECT_EQ(resultsText, u"a.txt は空です。\r\nb.txt: 強制変換しました\r\n");
  resultsText.clear();
}

TEST(DialogHost, ConsoleModeLeavesTheResultsTextAlone) {
  ProcessStateGuard state;
  consoleMode = true;
  DialogHost host;
  resultsText.clear();
  host.ReportMessage(u"(a console-mode message, printed and not collected)\n");
  EXPECT_EQ(resultsText, u"");
}

TEST(DialogHost, NoAbortWhileTheDialogIsNotInFront) {
  ProcessStateGuard state;
  TemplateDialog dialog(IDD_MAIN_ENGLISH);  // created, never shown: never the foreground
  DialogHost host;
  host.SetDialog(dialog.get());
  for (bool console : {false, true}) {
    consoleMode = console;
    EXPECT_FALSE(host.AbortRequested());
  }
  DialogHost withoutDialog;
  EXPECT_FALSE(withoutDialog.AbortRequested());
}

bool resultsStayedOpen = false;

// Looks at the results dialog once the queue has been worked off, then closes it.
void CALLBACK LookAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND results = FindWindowW(nullptr, W(u"実行結果").c_str());
  resultsStayedOpen = results != nullptr && IsWindowVisible(results);
  if (results) PostMessageW(results, WM_COMMAND, IDCANCEL, 0);
}

TEST(DialogHost, EscPressedDuringARunDoesNotCloseTheResults) {
  ProcessStateGuard state;
  consoleMode = false;
  // Closing the results saves the settings: into a folder of the test's own.
  TempDir dir;
  useIniStore = true;
  SetIniFilePath(ToNative(dir / "quillon.ini"));
  TemplateDialog dialog(IDD_MAIN_ENGLISH);
  ASSERT_NE(dialog.get(), nullptr);
  DialogHost host;
  host.SetDialog(dialog.get());
  // What a run leaves queued when Esc was tapped between two polls (it takes no messages
  // meanwhile), with another key behind it.
  resultsStayedOpen = false;
  ShowWindow(dialog.get(), SW_SHOW);
  SetForegroundWindow(dialog.get());
  INPUT keys[4] = {};
  const WORD codes[4] = {VK_ESCAPE, VK_ESCAPE, 'A', 'A'};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = codes[i];
    keys[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
  }
  ASSERT_EQ(SendInput(4, keys, sizeof(INPUT)), 4u);
  SetTimer(nullptr, 0, 500, LookAndClose);
  host.ShowResults(u"Target files:1, Replaced files:1", u"No errors occured.");
  EXPECT_TRUE(resultsStayedOpen);
}

}  // namespace
