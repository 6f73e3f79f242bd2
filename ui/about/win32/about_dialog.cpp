#include "ui/about/win32/about_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <optional>
#include <string>

#include "core/message_format.h"
#include "ui/about/contact_block.h"
#include "ui/about/environment_report.h"
#include "ui/about/version_text.h"
#include "ui/about/win32/dialog_template.h"
#include "ui/about/win32/report_clipboard.h"
#include "ui/about/win32/system_facts.h"
#include "ui/about/win32/version_resource.h"
#include "ui/theme_rules.h"
#include "ui/win32/dark_theme.h"

namespace {

constexpr size_t kTemplateBytes = 2048;
// Links and the report button rest this long after a link was opened, so that a double
// click does not open two browsers.
constexpr UINT_PTR kLinkRestTimer = 2008;
constexpr UINT kLinkRestMilliseconds = 1000;
// The version text's first line is looked for in this many units.
constexpr int kVersionTextUnits = 300;

// What the dialog needs while it is open.
struct AboutState {
  const AboutInfo* info = nullptr;
  bool japanese = false;
  // The box's own dark flag: read when it opens and at every colour-set change. 32 bits, as
  // the window manager reads it by address for the title bar.
  BOOL dark = FALSE;
  HBRUSH brush = nullptr;  // the dark background, this box's own; deleted with the box
  HWND tooltip = nullptr;
  AboutMessageBox messageBox = nullptr;
  HWND restingLink = nullptr;  // the link that was opened last, until the rest is over
};

const char16_t* Text16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
const wchar_t* Window(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
const wchar_t* Window(const WideText& text) { return Window(text.c_str()); }

const char16_t* Pick(const AboutState& state, const char16_t* japanese, const char16_t* english) {
  return state.japanese ? japanese : english;
}

AboutState* StateOf(HWND dialog) {
  return reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int Box(const AboutState& state, HWND owner, const WideText& text, const char16_t* caption,
        UINT type) {
  return state.messageBox(owner, Window(text), Window(caption), type);
}

AboutAddresses AddressesOf(const AboutInfo& info) {
  return {Text16(info.webSite), Text16(info.contact), Text16(info.contributionPage),
          Text16(info.feedbackPage)};
}

// The dialog's controls, in their tab order.
void BuildTemplate(DialogTemplate& dialog, const AboutInfo& info) {
  bool ja = info.language != 0;
  dialog.SetDialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 239, 261,
                   ja ? u"バージョン情報" : u"About", ja ? 9 : 8,
                   ja ? u"MS UI Gothic" : u"MS Sans Serif");
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  dialog.AddControl(kAboutFeedback, u"SysLink", kChild | WS_TABSTOP, 0, 42, 145, 70, 10,
                    ja ? u"<a id=\"feedback\">フィードバック受付</a>"
                       : u"<a id=\"feedback\">Feedback</a>");
  dialog.AddControl(kAboutContribution, u"SysLink", kChild | WS_TABSTOP, 0, 126, 145, 96, 10,
                    ja ? u"<a id=\"kifu\">開発支援金の受付について</a>"
                       : u"<a id=\"kifu\">Contribution</a>");
  dialog.AddControl(kAboutDescription, u"Edit", kChild | WS_VSCROLL | ES_READONLY | ES_MULTILINE,
                    WS_EX_CLIENTEDGE, 7, 156, 225, 80, u"(NULL)");
  dialog.AddControl(kAboutClose, u"Button", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 240, 50,
                    14, ja ? u"閉じる(&C)" : u"&Close");
  dialog.AddControl(kAboutEnvironment, u"Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, 60, 240,
                    172, 14,
                    ja ? u"環境情報の表示(問合せの際にご活用下さい)(&E)"
                       : u"&Environment Information");
  dialog.AddIcon(kAboutIcon, kChild | SS_ICON, 7, 7, 32, 32, static_cast<WORD>(info.icon));
  dialog.AddControl(kAboutVersion, u"Edit", kChild | WS_TABSTOP | ES_READONLY | ES_MULTILINE, 0,
                    35, 7, 197, 37, u"(NULL)");
  dialog.AddControl(kAboutContact, u"SysLink", kChild | WS_TABSTOP, 0, 7, 46, 225, 98, u"(NULL)");
}

// Ctrl+A in the description box selects its whole text.
LRESULT CALLBACK DescriptionProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR, DWORD_PTR) {
  if (message == WM_CHAR && wParam == 1) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, DescriptionProc, 0);
  return DefSubclassProc(edit, message, wParam, lParam);
}

HWND AddTooltips(HWND dialog, const AboutState& state) {
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 dialog, nullptr, nullptr, nullptr);
  if (!tooltip) return nullptr;
  // Long tips wrap instead of running across the screen.
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
  struct Tip {
    int id;
    const char16_t* japanese;
    const char16_t* english;
  };
  static constexpr Tip kTips[] = {
      {kAboutContribution, u"開発支援金の受付について詳細を表示します。インターネット接続が必要です",
       u"About contribution"},
      {kAboutClose, u"このダイアログを閉じます", u"Closes this dialog box."},
      {kAboutEnvironment,
       u"環境情報を表示します。制作元に質問を出す場合には、これで表示された情報を添付して下さい",
       u"Displays Information of this environment."},
      {kAboutFeedback,
       u"制作元へ連絡、感想、改善要望あるいは現状維持要望などを気軽に送りたい場合に利用します。"
       u"インターネット接続が必要です",
       u"Opens feedback page."},
      {kAboutContact, u"ブラウザでサイトを開きます。インターネット接続が必要です", nullptr},
  };
  for (const Tip& tip : kTips) {
    const char16_t* text = Pick(state, tip.japanese, tip.english);
    if (!text) continue;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, tip.id));
    tool.lpszText = const_cast<wchar_t*>(Window(text));
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return tooltip;
}

// The title bar, the controls and the box's tooltip in the box's theme.
void ApplyAboutTheme(HWND dialog, const AboutState& state) {
  SetDarkTitleBar(dialog, &state.dark);
  ThemeChildControlsStylesOff(dialog, state.dark != FALSE);
  if (state.tooltip) ThemeTooltip(state.tooltip, state.dark != FALSE);
}

// Any setting change re-themes the box; the colour-set change also re-reads the user's
// light or dark choice first. The answer is the flag.
INT_PTR OnSettingChange(HWND dialog, AboutState& state, LPARAM lParam) {
  constexpr UINT kRepaint = RDW_INVALIDATE | RDW_ALLCHILDREN;
  const auto* setting = reinterpret_cast<const wchar_t*>(lParam);
  if (setting && std::wcscmp(setting, L"ImmersiveColorSet") == 0) {
    state.dark = ReadAboutDarkFlag() ? TRUE : FALSE;
    SetDarkTitleBar(dialog, &state.dark);
    RedrawWindow(dialog, nullptr, nullptr, kRepaint);
  }
  ApplyAboutTheme(dialog, state);
  // With erasing, which the background needs to change colour (a repaint without it keeps
  // the old background, under Wine at least); it covers the repaint above as well.
  RedrawWindow(dialog, nullptr, nullptr, kRepaint | RDW_ERASE);
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, state.dark);
  return state.dark;
}

bool IsSysLink(HWND control) {
  wchar_t name[16] = L"";
  GetClassNameW(control, name, 16);
  return lstrcmpiW(name, WC_LINK) == 0;
}

// Background erase and the WM_CTLCOLOR* messages: true with the dialog procedure's answer
// in *answer when the message was one of them.
bool AnswerThemePaint(HWND dialog, const AboutState& state, UINT message, WPARAM wParam,
                      LPARAM lParam, INT_PTR* answer) {
  if (IsControlColourMessage(message)) {
    auto dc = reinterpret_cast<HDC>(wParam);
    HBRUSH brush = state.brush;
    // Some SysLink implementations (Wine's) delete the brush they are answered with, which
    // would leave the box and its other controls without their background. They get the
    // stock DC brush in the same colour: deleting a stock object does nothing.
    if (state.dark && IsSysLink(reinterpret_cast<HWND>(lParam))) {
      SetDCBrushColor(dc, kDarkBackground);
      brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    }
    *answer = reinterpret_cast<INT_PTR>(AnswerControlColour(dc, state.dark != FALSE, brush));
    return true;
  }
  if (message != WM_ERASEBKGND) return false;
  PaintDialogBackground(dialog, reinterpret_cast<HDC>(wParam), state.dark != FALSE, state.brush);
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
  *answer = TRUE;
  return true;
}

BOOL OnInitDialog(HWND dialog, AboutState& state) {
  const AboutInfo& info = *state.info;
  if (info.windowSlot) *info.windowSlot = dialog;

  // Without a readable version the version text and the contact block stay "(NULL)".
  std::wstring program = ModuleFilePath(nullptr);
  std::optional<VersionStrings> strings = ReadVersionStrings(program.c_str());
  std::optional<WideText> version;
  if (strings) {
    version = FormatVersionText(state.japanese, info.title ? Text16(info.title) : u"", *strings);
  }
  if (version) {
    SetDlgItemTextW(dialog, kAboutVersion, Window(*version));
    WideText contact = BuildContactBlock(state.japanese, Text16(info.webSite),
                                         Text16(info.contact), Text16(info.extraText));
    SetDlgItemTextW(dialog, kAboutContact, Window(contact));
  }

  HWND description = GetDlgItem(dialog, kAboutDescription);
  SetWindowTextW(description, info.description ? info.description : L"");
  SetWindowSubclass(description, DescriptionProc, 0, 0);

  if (!info.feedbackPage) ShowWindow(GetDlgItem(dialog, kAboutFeedback), SW_HIDE);
  HWND focus = GetDlgItem(dialog, kAboutContribution);
  if (!info.contributionPage) {
    ShowWindow(focus, SW_HIDE);
    focus = GetDlgItem(dialog, kAboutClose);
  }
  state.tooltip = AddTooltips(dialog, state);
  ApplyAboutTheme(dialog, state);
  SetFocus(focus);
  return FALSE;  // the focus is set
}

void SetLinksEnabled(HWND dialog, bool enabled) {
  for (int id : {kAboutEnvironment, kAboutContribution, kAboutFeedback}) {
    EnableWindow(GetDlgItem(dialog, id), enabled);
  }
}

void OnLinkActivated(HWND dialog, AboutState& state, HWND link, const wchar_t* id) {
  SetLinksEnabled(dialog, false);
  state.restingLink = link;
  SetTimer(dialog, kLinkRestTimer, kLinkRestMilliseconds, nullptr);

  WideText address = LinkAddress(Text16(id), AddressesOf(*state.info));
  wchar_t system[MAX_PATH] = L"";
  UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) system[0] = L'\0';
  HINSTANCE result = ShellExecuteW(dialog, L"open", Window(address), nullptr,
                                   system[0] ? system : nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(result) > 32) return;
  // The address is named in full: the id of the contribution and feedback links is only a
  // key, and a long id arrives cut short.
  WideText text = state.japanese ? FormatMessageText(
                                       u"%sを開けませんでした。\n上記のURLを直接開いて下さい。",
                                       {address})
                                 : WideText(u"Cannot open a browser.");
  Box(state, dialog, text, Text16(state.info->title), MB_ICONERROR);
}

void OnLinkRestOver(HWND dialog, AboutState& state) {
  KillTimer(dialog, kLinkRestTimer);
  SetLinksEnabled(dialog, true);
  // Disabling the focused link took the keyboard focus away: it goes back there.
  if (!GetFocus() && state.restingLink && IsWindowVisible(state.restingLink)) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(state.restingLink), TRUE);
  }
  state.restingLink = nullptr;
}

const char16_t* OutcomeText(const AboutState& state, ClipboardOutcome outcome) {
  switch (outcome) {
    case ClipboardOutcome::kCopied:
      return Pick(state, u"クリップボードへコピーしました。", u"Writing data to the clipboard is complete.");
    case ClipboardOutcome::kRefused:
      return Pick(state, u"クリップボードへのコピーに失敗しました。", u"Clipboard error.");
    case ClipboardOutcome::kOpenFailed:
      return Pick(state, u"クリップボードを開けません。", u"Cannot open clipboard.");
    case ClipboardOutcome::kNoMemory:
      return Pick(state, u"作業用のメモリが足りません。", u"Out of memory.");
    case ClipboardOutcome::kLockFailed:
      return Pick(state, u"GlobalLock失敗。", u"GlobalLock error.");
    case ClipboardOutcome::kEmptyFailed:
      return Pick(state, u"クリップボードを空にできません。", u"EmptyClipboard error.");
  }
  return u"";
}

// The report, with the version line of this program, shown and on OK copied.
void OnEnvironmentInformation(HWND dialog, const AboutState& state) {
  WideText report = BuildEnvironmentReport(GatherSystemFacts(state.dark != FALSE));
  wchar_t version[kVersionTextUnits + 1] = L"";
  GetDlgItemTextW(dialog, kAboutVersion, version, kVersionTextUnits + 1);
  report += u"\r\n[Client]\r\n ";
  report += FirstLine(Text16(version), kVersionTextUnits);

  const char16_t* caption = Pick(state, u"環境情報の表示(簡易版)", u"VantoriaLite");
  WideText question = report + u"\r\n------------------------\r\n" +
                      Pick(state, u"クリップボードにコピーする場合は[OK]ボタンを押して下さい。",
                           u"Please click the [OK] button to copy to clipboard.");
  if (Box(state, dialog, question, caption, MB_OKCANCEL) != IDOK) return;

  ClipboardOutcome outcome = CopyReportToClipboard(report);
  // The clipboard's own answer is news; the failures before it are errors.
  bool information = outcome == ClipboardOutcome::kCopied || outcome == ClipboardOutcome::kRefused;
  Box(state, dialog, OutcomeText(state, outcome), caption,
      information ? MB_ICONINFORMATION : MB_ICONERROR);
}

BOOL OnNotify(HWND dialog, AboutState& state, const NMHDR& header) {
  if (header.code != NM_CLICK && header.code != NM_RETURN) return FALSE;
  switch (header.idFrom) {
    case kAboutContact:
    case kAboutContribution:
    case kAboutFeedback: {
      const auto& link = reinterpret_cast<const NMLINK&>(header);
      OnLinkActivated(dialog, state, header.hwndFrom, link.item.szID);
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return OnInitDialog(dialog, *reinterpret_cast<AboutState*>(lParam));
  }
  AboutState* state = StateOf(dialog);
  if (!state) return FALSE;
  INT_PTR answer = FALSE;
  if (AnswerThemePaint(dialog, *state, message, wParam, lParam, &answer)) return answer;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kAboutClose:  // also Esc and the close box
          EndDialog(dialog, 0);
          return TRUE;
        case kAboutEnvironment:
          OnEnvironmentInformation(dialog, *state);
          return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      return OnNotify(dialog, *state, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam != kLinkRestTimer) return FALSE;
      OnLinkRestOver(dialog, *state);
      return TRUE;
    case WM_THEMECHANGED:
      ApplyAboutTheme(dialog, *state);
      return FALSE;
    case WM_SETTINGCHANGE:
      return OnSettingChange(dialog, *state, lParam);
    case WM_DESTROY:
      KillTimer(dialog, kLinkRestTimer);
      if (state->info->windowSlot) *state->info->windowSlot = nullptr;
      if (state->brush) DeleteObject(state->brush);
      state->brush = nullptr;
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowAboutDialog(const AboutInfo& info) {
  AboutState state;
  state.info = &info;
  state.japanese = info.language != 0;
  state.dark = ReadAboutDarkFlag() ? TRUE : FALSE;
  // Made whatever the flag says: the user may switch to dark while the box is open.
  state.brush = CreateSolidBrush(kDarkBackground);
  state.messageBox = info.messageBox ? info.messageBox : MessageBoxW;

  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);

  DialogTemplate dialog(kTemplateBytes);
  BuildTemplate(dialog, info);
  const DLGTEMPLATE* layout = dialog.get();
  if (!layout) {
    DeleteObject(state.brush);
    return 0;
  }
  INT_PTR result = DialogBoxIndirectParamW(info.module, layout, info.owner, AboutDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
  // The box may not have come up at all (no WM_DESTROY then).
  if (state.brush) DeleteObject(state.brush);
  return result;
}
