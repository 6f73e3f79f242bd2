// The About box's Windows side: the version reader, the template, the clipboard and the
// dialog itself, opened in this process and driven from a timer of its thread.
#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/test_support.h"
#include "ui/about/win32/about_dialog.h"
#include "ui/about/win32/dialog_template.h"
#include "ui/about/win32/report_clipboard.h"
#include "ui/about/win32/version_resource.h"

namespace {

std::wstring BesideTests(const wchar_t* name) {
  std::wstring path = ModuleFilePath(nullptr);
  return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

WideText ClipboardText() {
  WideText text;
  if (!OpenClipboard(nullptr)) return u"(cannot open)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
      text = units;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST(AboutVersionResource, ReadsTheJapaneseTable) {
  std::wstring fixture = BesideTests(L"about_version_fixture.exe");
  auto strings = ReadVersionStrings(fixture.c_str());
  ASSERT_TRUE(strings);
  EXPECT_EQ(strings->fileVersion, u"1.5.0.2");
  EXPECT_EQ(strings->fileDescription, u"テキスト変換");
  EXPECT_EQ(strings->legalCopyright, u"(C) fixture");
  EXPECT_EQ(strings->specialBuild, u"beta");
  EXPECT_EQ(strings->privateBuild, u"");  // only in the English table
  EXPECT_EQ(*FormatVersionText(true, u"タイドライト", *strings),
            u"タイドライト ver.1.50.02β [] (x64)\r\nテキスト変換\r\n(C) fixture");
}

TEST(AboutVersionResource, NoResourceNoStrings) {
  TempDir temp;
  WriteBytes(temp / "plain.exe", "not a program");
  EXPECT_FALSE(ReadVersionStrings(ToNative(temp / "plain.exe").c_str()));
  EXPECT_FALSE(ReadVersionStrings(ToNative(temp / "missing.exe").c_str()));
}

TEST(AboutDialogTemplate, ControlsAsWritten) {
  DialogTemplate layout(2048);
  layout.SetDialog(WS_POPUP | WS_CAPTION, 100, 50, u"Caption", 8, u"MS Sans Serif");
  layout.AddControl(10, u"Edit", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 1, 2, 30, 12, u"text");
  layout.AddControl(11, u"Button", WS_CHILD, 0, 40, 2, 30, 12, u"&OK");
  layout.AddIcon(12, WS_CHILD | WS_VISIBLE | SS_ICON, 5, 20, 16, 16, 1);
  ASSERT_TRUE(layout.get());
  HWND dialog = CreateDialogIndirectParamW(
      GetModuleHandleW(nullptr), layout.get(), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_TRUE(dialog);
  wchar_t text[64] = L"";
  GetWindowTextW(dialog, text, 64);
  EXPECT_STREQ(text, L"Caption");
  GetDlgItemTextW(dialog, 10, text, 64);
  EXPECT_STREQ(text, L"text");
  GetDlgItemTextW(dialog, 11, text, 64);
  EXPECT_STREQ(text, L"&OK");
  wchar_t className[32] = L"";
  GetClassNameW(GetDlgItem(dialog, 12), className, 32);
  EXPECT_EQ(lstrcmpiW(className, L"Static"), 0);
  EXPECT_TRUE(GetWindowLongW(GetDlgItem(dialog, 10), GWL_STYLE) & ES_MULTILINE);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, 11)));
  DestroyWindow(dialog);
}

TEST(AboutDialogTemplate, TooManyControlsGiveNoTemplate) {
  DialogTemplate layout(128);
  layout.SetDialog(WS_POPUP, 10, 10, u"x", 8, u"MS Sans Serif");
  for (WORD id = 1; id < 10; ++id) layout.AddControl(id, u"Button", WS_CHILD, 0, 0, 0, 1, 1, u"b");
  EXPECT_EQ(layout.get(), nullptr);
}

TEST(AboutReportClipboard, CopiesAndCutsAtTheBlock) {
  ASSERT_EQ(CopyReportToClipboard(u"report\r\nline"), ClipboardOutcome::kCopied);
  EXPECT_EQ(ClipboardText(), u"report\r\nline");

  // A longer text than the block holds is cut, never past the block and never in the
  // middle of a surrogate pair.
  constexpr size_t kUnits = kReportBlockBytes / 2 - 1;
  WideText longText(kUnits - 1, u'a');
  longText += u"\U0001F600tail";
  ASSERT_EQ(CopyReportToClipboard(longText), ClipboardOutcome::kCopied);
  EXPECT_EQ(ClipboardText(), WideText(kUnits - 1, u'a'));
}

// The dialog, driven from a timer of the thread that runs it.
struct Observed {
  bool feedbackVisible = true, contributionVisible = true;
  int focusId = 0;
  WideText version, contact;
  std::vector<WideText> boxTexts, boxCaptions;
  std::vector<UINT> boxTypes;
  int answer = IDCANCEL;
  std::vector<int> commands;  // sent to the dialog, in order, one a tick
  size_t next = 0;
  HWND dialog = nullptr;
  bool slotClearedAfter = false;
} observed;

WideText ControlText(HWND dialog, int id) {
  wchar_t text[2048] = L"";
  GetDlgItemTextW(dialog, id, text, 2048);
  return reinterpret_cast<const char16_t*>(text);
}

int WINAPI RecordingBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
  observed.boxTexts.push_back(reinterpret_cast<const char16_t*>(text));
  observed.boxCaptions.push_back(reinterpret_cast<const char16_t*>(caption));
  observed.boxTypes.push_back(type);
  // The confirmation gets the answer; the outcome box is only acknowledged.
  return observed.boxTexts.size() == 1 ? observed.answer : IDOK;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = observed.dialog;
  if (!dialog) return;
  if (observed.next == 0) {
    observed.feedbackVisible = IsWindowVisible(GetDlgItem(dialog, kAboutFeedback));
    observed.contributionVisible = IsWindowVisible(GetDlgItem(dialog, kAboutContribution));
    observed.focusId = GetDlgCtrlID(GetFocus());
    observed.version = ControlText(dialog, kAboutVersion);
    observed.contact = ControlText(dialog, kAboutContact);
  }
  if (observed.next < observed.commands.size()) {
    int id = observed.commands[observed.next++];
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
}

INT_PTR RunAbout(AboutInfo info, std::vector<int> commands, int answer) {
  observed = Observed();
  observed.commands = std::move(commands);
  observed.answer = answer;
  info.windowSlot = &observed.dialog;
  info.messageBox = RecordingBox;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, Tick);
  INT_PTR result = ShowAboutDialog(info);
  KillTimer(nullptr, timer);
  observed.slotClearedAfter = observed.dialog == nullptr;
  return result;
}

AboutInfo EnglishInfo() {
  AboutInfo info;
  info.language = 0;
  info.module = GetModuleHandleW(nullptr);
  info.title = L"Tidewright";
  info.webSite = L"https://example.org/";
  info.contact = L"ask@example.org";
  info.description = L"What it does.";
  return info;
}

TEST(AboutDialog, WithoutPagesBothLinksHideAndCloseHasTheFocus) {
  EXPECT_EQ(RunAbout(EnglishInfo(), {IDCANCEL}, IDCANCEL), 0);
  EXPECT_FALSE(observed.feedbackVisible);
  EXPECT_FALSE(observed.contributionVisible);
  EXPECT_EQ(observed.focusId, IDCANCEL);
  EXPECT_TRUE(observed.slotClearedAfter);

  AboutInfo info = EnglishInfo();
  info.contributionPage = L"https://example.org/c";
  info.feedbackPage = L"https://example.org/f";
  RunAbout(info, {IDCANCEL}, IDCANCEL);
  EXPECT_TRUE(observed.feedbackVisible);
  EXPECT_TRUE(observed.contributionVisible);
  EXPECT_EQ(observed.focusId, kAboutContribution);
}

TEST(AboutDialog, ReportCancelledLeavesTheClipboard) {
  ASSERT_EQ(CopyReportToClipboard(u"kept"), ClipboardOutcome::kCopied);
  RunAbout(EnglishInfo(), {kAboutEnvironment, IDCANCEL}, IDCANCEL);
  ASSERT_EQ(observed.boxTexts.size(), 1u);
  const WideText& question = observed.boxTexts[0];
  EXPECT_EQ(question.rfind(u"VantoriaLite ver.1.03.01 [", 0), 0u);
  // The client line is the version text's first line.
  WideText client = u"\r\n[Client]\r\n " + observed.version.substr(0, observed.version.find(u'\r'));
  EXPECT_NE(question.find(client + u"\r\n------------------------\r\n"
                                   u"Please click the [OK] button to copy to clipboard."),
            WideText::npos);
  EXPECT_EQ(observed.boxCaptions[0], u"VantoriaLite");
  EXPECT_EQ(observed.boxTypes[0], static_cast<UINT>(MB_OKCANCEL));
  EXPECT_EQ(ClipboardText(), u"kept");
}

TEST(AboutDialog, ReportConfirmedGoesToTheClipboard) {
  AboutInfo info = EnglishInfo();
  info.language = 1;
  RunAbout(info, {kAboutEnvironment, IDCANCEL}, IDOK);
  ASSERT_EQ(observed.boxTexts.size(), 2u);
  EXPECT_EQ(observed.boxCaptions[0], u"環境情報の表示(簡易版)");
  EXPECT_EQ(observed.boxTexts[1], u"クリップボードへコピーしました。");
  EXPECT_EQ(observed.boxTypes[1], static_cast<UINT>(MB_ICONINFORMATION));
  // The clipboard has the report without the question under it.
  WideText copied = ClipboardText();
  const WideText& question = observed.boxTexts[0];
  EXPECT_EQ(question.substr(0, question.find(u"\r\n------------------------\r\n")), copied);
  EXPECT_NE(copied.find(u"\r\n[Client]\r\n "), WideText::npos);
}

// A link whose address cannot be opened: the error names the address, and the links and
// the report button rest for a second.
struct LinkRun {
  HWND dialog = nullptr;
  int ticks = 0;
  bool enabledAfterClick = true, enabledLater = false;
} linkRun;

void CALLBACK LinkTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = linkRun.dialog;
  if (!dialog) return;
  ++linkRun.ticks;
  if (linkRun.ticks == 1) {
    NMLINK click = {};
    click.hdr.hwndFrom = GetDlgItem(dialog, kAboutContribution);
    click.hdr.idFrom = kAboutContribution;
    click.hdr.code = NM_CLICK;
    lstrcpyW(click.item.szID, L"kifu");
    SendMessageW(dialog, WM_NOTIFY, kAboutContribution, reinterpret_cast<LPARAM>(&click));
    linkRun.enabledAfterClick = IsWindowEnabled(GetDlgItem(dialog, kAboutEnvironment)) ||
                                IsWindowEnabled(GetDlgItem(dialog, kAboutContribution)) ||
                                IsWindowEnabled(GetDlgItem(dialog, kAboutFeedback));
  } else if (linkRun.ticks == 16) {  // 1.6 seconds on
    linkRun.enabledLater = IsWindowEnabled(GetDlgItem(dialog, kAboutEnvironment)) &&
                           IsWindowEnabled(GetDlgItem(dialog, kAboutContribution)) &&
                           IsWindowEnabled(GetDlgItem(dialog, kAboutFeedback));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

TEST(AboutDialog, LinkThatCannotOpenIsReportedAndLinksRest) {
  observed = Observed();
  linkRun = LinkRun();
  AboutInfo info = EnglishInfo();
  info.language = 1;
  info.title = L"タイドライト";
  info.contributionPage = L"C:\\no-such-folder\\no-such-page.html";
  info.feedbackPage = L"https://example.org/f";
  info.windowSlot = &linkRun.dialog;
  info.messageBox = RecordingBox;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, LinkTick);
  ShowAboutDialog(info);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(linkRun.enabledAfterClick);
  EXPECT_TRUE(linkRun.enabledLater);
  ASSERT_EQ(observed.boxTexts.size(), 1u);
  EXPECT_EQ(observed.boxTexts[0],
            u"C:\\no-such-folder\\no-such-page.htmlを開けませんでした。\n"
            u"上記のURLを直接開いて下さい。");
  EXPECT_EQ(observed.boxCaptions[0], u"タイドライト");
  EXPECT_EQ(observed.boxTypes[0], static_cast<UINT>(MB_ICONERROR));
}

// The box's dark theme: the user's AppsUseLightTheme, set for one test and put back after.
class AppsThemePreference {
 public:
  AppsThemePreference() {
    RegCreateKeyExW(HKEY_CURRENT_USER,
                    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                    nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
    DWORD size = sizeof saved_;
    DWORD type = 0;
    had_ = key_ && RegQueryValueExW(key_, L"AppsUseLightTheme", nullptr, &type,
                                    reinterpret_cast<BYTE*>(&saved_), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
  }
  ~AppsThemePreference() {
    if (!key_) return;
    if (had_) {
      Set(saved_);
    } else {
      RegDeleteValueW(key_, L"AppsUseLightTheme");
    }
    RegCloseKey(key_);
  }
  void Set(DWORD value) {
    RegSetValueExW(key_, L"AppsUseLightTheme", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value),
                   sizeof value);
  }

 private:
  HKEY key_ = nullptr;
  DWORD saved_ = 0;
  bool had_ = false;
};

// What the box answers and shows at one moment.
struct ThemeLook {
  HBRUSH brush = nullptr;  // the answer to WM_CTLCOLORSTATIC
  COLORREF brushColour = CLR_INVALID;
  COLORREF textColour = CLR_INVALID;
  int backgroundMode = 0;
  COLORREF erased = CLR_INVALID;  // a pixel after WM_ERASEBKGND
  COLORREF tipBackground = CLR_INVALID, tipText = CLR_INVALID;
};

HWND OwnedTooltip(HWND dialog) {
  struct Search {
    HWND owner, found;
  } search{dialog, nullptr};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        auto* search = reinterpret_cast<Search*>(parameter);
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        if (GetWindow(window, GW_OWNER) == search->owner && lstrcmpiW(name, TOOLTIPS_CLASSW) == 0) {
          search->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

ThemeLook LookAt(HWND dialog) {
  ThemeLook look;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
  HGDIOBJ old = SelectObject(dc, bitmap);
  look.brush = reinterpret_cast<HBRUSH>(SendMessageW(
      dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
      reinterpret_cast<LPARAM>(GetDlgItem(dialog, kAboutVersion))));
  LOGBRUSH brush = {};
  if (look.brush && GetObjectW(look.brush, sizeof brush, &brush)) look.brushColour = brush.lbColor;
  look.textColour = GetTextColor(dc);
  look.backgroundMode = GetBkMode(dc);
  SendMessageW(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  look.erased = GetPixel(dc, 2, 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  if (HWND tip = OwnedTooltip(dialog)) {
    look.tipBackground = static_cast<COLORREF>(SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0));
    look.tipText = static_cast<COLORREF>(SendMessageW(tip, TTM_GETTIPTEXTCOLOR, 0, 0));
  }
  return look;
}

// Steps run one a tick against the open box; the last one closes it.
struct StepRun {
  HWND dialog = nullptr;
  std::vector<std::function<void(HWND)>> steps;
  size_t next = 0;
} stepRun;

void CALLBACK StepTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!stepRun.dialog || stepRun.next >= stepRun.steps.size()) return;
  stepRun.steps[stepRun.next++](stepRun.dialog);
}

void RunSteps(std::vector<std::function<void(HWND)>> steps) {
  observed = Observed();
  observed.answer = IDCANCEL;
  stepRun = StepRun();
  stepRun.steps = std::move(steps);
  stepRun.steps.push_back([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
  AboutInfo info = EnglishInfo();
  info.windowSlot = &stepRun.dialog;
  info.messageBox = RecordingBox;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, StepTick);
  ShowAboutDialog(info);
  KillTimer(nullptr, timer);
}

void PressEnvironmentInformation(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kAboutEnvironment, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, kAboutEnvironment)));
}

LRESULT AnnounceSetting(HWND dialog, const wchar_t* name) {
  return SendMessageW(dialog, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(name));
}

constexpr COLORREF kBoxDark = RGB(56, 56, 56);

TEST(AboutDialogTheme, DarkPreferencePaintsTheBoxDarkAndTheReportSaysSo) {
  AppsThemePreference preference;
  preference.Set(0);
  ThemeLook look;
  HWND description = nullptr;
  RunSteps({[&](HWND dialog) {
              // A link that deletes the brush it was given (as Wine's do) takes nothing
              // from the box and the other controls.
              HDC dc = GetDC(dialog);
              DeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageW(
                  dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, kAboutContact)))));
              ReleaseDC(dialog, dc);
              look = LookAt(dialog);
              description = GetDlgItem(dialog, kAboutDescription);
            },
            PressEnvironmentInformation});
  EXPECT_EQ(look.brushColour, kBoxDark);
  EXPECT_EQ(look.textColour, RGB(255, 255, 255));
  EXPECT_EQ(look.backgroundMode, TRANSPARENT);
  EXPECT_EQ(look.erased, kBoxDark);
  EXPECT_EQ(look.tipBackground, RGB(45, 45, 45));
  EXPECT_EQ(look.tipText, RGB(254, 254, 254));
  ASSERT_EQ(observed.boxTexts.size(), 1u);
  EXPECT_NE(observed.boxTexts[0].find(u"\r\n Dark Mode \t: On\r\n"), WideText::npos);
  // The brush was the box's own and went with it.
  EXPECT_EQ(GetObjectType(look.brush), 0u);
  EXPECT_FALSE(IsWindow(description));
}

TEST(AboutDialogTheme, LightPreferenceLeavesTheSystemColours) {
  AppsThemePreference preference;
  preference.Set(1);
  ThemeLook look;
  bool buttonThemed = false, descriptionThemed = true;
  RunSteps({[&](HWND dialog) {
              look = LookAt(dialog);
              buttonThemed = GetWindowTheme(GetDlgItem(dialog, kAboutClose)) != nullptr;
              descriptionThemed = GetWindowTheme(GetDlgItem(dialog, kAboutDescription)) != nullptr;
            },
            PressEnvironmentInformation});
  // The default handling: the system's colours.
  EXPECT_NE(look.brushColour, kBoxDark);
  EXPECT_NE(look.textColour, RGB(255, 255, 255));
  EXPECT_EQ(look.erased, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(look.tipBackground, GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(look.tipText, GetSysColor(COLOR_INFOTEXT));
  ASSERT_EQ(observed.boxTexts.size(), 1u);
  EXPECT_NE(observed.boxTexts[0].find(u"\r\n Dark Mode \t: Off\r\n"), WideText::npos);
  // Where the system draws visual styles at all, only the push buttons keep them.
  if (buttonThemed) {
    EXPECT_FALSE(descriptionThemed);
  }
}

TEST(AboutDialogTheme, OnlyTheColourSetChangeRereadsThePreference) {
  AppsThemePreference preference;
  preference.Set(1);
  LRESULT toDark = -1, otherSetting = -1, toLight = -1;
  ThemeLook dark, stillDark, light;
  RunSteps({[&](HWND dialog) {
              preference.Set(0);
              toDark = AnnounceSetting(dialog, L"ImmersiveColorSet");
              dark = LookAt(dialog);
              preference.Set(1);
              otherSetting = AnnounceSetting(dialog, L"intl");
              stillDark = LookAt(dialog);
              toLight = AnnounceSetting(dialog, L"ImmersiveColorSet");
              light = LookAt(dialog);
            },
            PressEnvironmentInformation});
  EXPECT_EQ(toDark, 1);
  EXPECT_EQ(dark.brushColour, kBoxDark);
  EXPECT_EQ(dark.erased, kBoxDark);
  EXPECT_EQ(dark.tipBackground, RGB(45, 45, 45));
  EXPECT_EQ(otherSetting, 1);
  EXPECT_EQ(stillDark.erased, kBoxDark);
  EXPECT_EQ(toLight, 0);
  EXPECT_NE(light.brushColour, kBoxDark);
  EXPECT_NE(light.textColour, RGB(255, 255, 255));
  EXPECT_EQ(light.erased, GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(light.tipBackground, GetSysColor(COLOR_INFOBK));
  ASSERT_EQ(observed.boxTexts.size(), 1u);
  EXPECT_NE(observed.boxTexts[0].find(u"\r\n Dark Mode \t: Off\r\n"), WideText::npos);
}

}  // namespace
