// The main dialog of the Windows program, and the parent's console of console mode.
#include "ui/main_dialog.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/process_flags.h"
#include "engine/engine_context.h"
#include "engine/run_job.h"
#include "ui/about/show_help.h"
#include "ui/about/win32/program_about.h"
#include "ui/banner.h"
#include "ui/control_states.h"
#include "ui/dialog_modes.h"
#include "ui/settings_io.h"
#include "ui/tooltip_tables.h"
#include "ui/win32/dark_theme.h"
#include "ui/win32/dialog_host.h"
#include "ui/win32/dialog_layout_window.h"
#include "ui/win32/resource.h"
#include "ui/win32/taskbar_progress.h"
#include "ui/win32/tooltips.h"
#include "ui/win32/window_controls.h"

namespace {

// What lives as long as the dialog: its message host and the engine's context.
struct MainDialogState {
  DialogHost host;
  EngineContext context;
  TaskbarProgress taskbar;
  // Resizing: from initialisation until WM_DESTROY; null when it could not be made.
  std::unique_ptr<DialogLayout> layout;
};

constexpr UINT kTargetTypingLimit = 519;
constexpr UINT kTabWidthTypingLimit = 2;
constexpr DWORD kChooserBufferUnits = 520;
constexpr DWORD kChooserFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                                OFN_FILEMUSTEXIST;
static_assert(kChooserFlags == 0x180C);

// A handle the process was started with (a pipe or a file it was redirected to) is kept.
bool HasUsableHandle(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Files dropped from a less privileged program reach the dialog only through this
// filter (Windows Vista and later). user32 is loaded already, from the system folder;
// where the function does not exist nothing changes.
void AllowDropsFromLowerPrivilege() {
  using FilterFunction = BOOL(WINAPI*)(UINT, DWORD);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  auto filter = reinterpret_cast<FilterFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")));
  if (!filter) return;
  constexpr DWORD kAdd = 1;  // MSGFLT_ADD
  for (UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x49}}) filter(message, kAdd);
}

MainDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<MainDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void SetStartText(HWND dialog, bool running) {
  const char16_t* text = running ? Text(u"処理中...(Esc:中止)", u"... (Esc:Abort)")
                                 : Text(u"開始(&S)", u"&Start");
  SetDlgItemTextW(dialog, kIdStart, ToWindowText(text).c_str());
}

void OnInitDialog(HWND dialog, MainDialogState& state) {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  // The tooltip window is owned by the dialog and goes with it; the theme finds it there.
  CreateTooltips(dialog, TooltipTable(japaneseUi));

  SendDlgItemMessageW(dialog, kIdTabWidth, EM_LIMITTEXT, kTabWidthTypingLimit, 0);
  SendDlgItemMessageW(dialog, kIdTarget, EM_LIMITTEXT, kTargetTypingLimit, 0);

  state.host.SetDialog(dialog);
  SetCurrentMessageHost(&state.host);
  state.context.host = &state.host;

  state.layout = CreateMainDialogLayout(dialog);
  if (ShouldShowBanner(japaneseUi, GetTickCount())) {
    ShowWindow(GetDlgItem(dialog, kIdBanner), SW_SHOW);
  }
  InitMainDialogTheme(dialog);

  WindowControls controls(dialog);
  // Console and settings-copy modes are done here, before the dialog is ever shown.
  if (InitializeMainDialog(controls, state.context)) EndDialog(dialog, IDCANCEL);
}

void OnStart(HWND dialog, MainDialogState& state) {
  HWND start = GetDlgItem(dialog, kIdStart);
  // Enter on a disabled default button, or a stray command: no run with an unusable job.
  if (!IsWindowEnabled(start)) return;
  bool hadFocus = GetFocus() == start;
  EnableWindow(start, FALSE);
  SetStartText(dialog, true);
  // The run happens here, on this thread; the Esc poll is its only contact with the user.
  WindowControls controls(dialog);
  state.taskbar.SetBusy(dialog, true);
  RunJob(controls, state.context);
  state.taskbar.SetBusy(dialog, false);
  EnableWindow(start, TRUE);
  SetStartText(dialog, false);
  // Disabling the focused button took the focus away; give it back.
  if (hadFocus || GetFocus() == nullptr) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(start), TRUE);
  }
}

void OnClose(HWND dialog, MainDialogState& state) {
  WindowControls controls(dialog);
  SaveOnClose(controls, state.host);
  EndDialog(dialog, IDCANCEL);
}

// Browse: the chosen file becomes the target. Cancelled or failed: nothing changes.
void ChooseTarget(HWND dialog) {
  std::wstring filter = ToWindowText(Text(u"すべてのファイル(*.*)", u"All Files(*.*)"));
  filter.push_back(L'\0');
  filter += L"*.*";
  filter.push_back(L'\0');  // c_str() adds the second terminator
  std::wstring title = ToWindowText(Text(u"検索対象ファイルの選択", u"Choose a file"));
  wchar_t file[kChooserBufferUnits] = L"";

  OPENFILENAMEW chooser = {};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = dialog;
  chooser.lpstrFilter = filter.c_str();
  chooser.nFilterIndex = 1;
  chooser.lpstrFile = file;
  chooser.nMaxFile = kChooserBufferUnits;
  chooser.lpstrTitle = title.c_str();
  chooser.Flags = kChooserFlags;
  if (!GetOpenFileNameW(&chooser)) return;
  SetDlgItemTextW(dialog, kIdTarget, file);
  SetFocus(GetDlgItem(dialog, kIdTarget));
}

// A drop: the first file becomes the target, whatever its length; the others are ignored.
void OnDropFiles(HWND dialog, HDROP drop) {
  SetForegroundWindow(dialog);
  UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length > 0) {
    std::wstring path(static_cast<size_t>(length) + 1, L'\0');
    UINT copied = DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(copied);
    SetDlgItemTextW(dialog, kIdTarget, path.c_str());
  }
  DragFinish(drop);
}

BOOL OnCommand(HWND dialog, MainDialogState& state, int id, int code) {
  WindowControls controls(dialog);
  switch (id) {
    case kIdStart:
      OnStart(dialog, state);
      return TRUE;
    case kIdClose:  // also Esc and the close box
      OnClose(dialog, state);
      return TRUE;
    case kIdBrowse:
      ChooseTarget(dialog);
      return TRUE;
    case kIdHelp:
      ShowHelp(dialog);
      return TRUE;
    case kIdAbout:
      ShowProgramAbout(dialog);
      return TRUE;
    case kIdInputList:
    case kIdOutputList:
      if (code == CBN_SELCHANGE) {
        OnEncodingListChanged(controls, id);  // ends with UpdateControlStates
      } else {
        UpdateControlStates(controls);
      }
      return TRUE;
    case kIdTarget:
    case kIdLineEndingCheck:
    case kIdFullWidthToTwo:
    case kIdTrimWhiteSpace:
    case kIdTabsCheck:
    case kIdTabWidth:
    case kIdDeleteControlCodes:
    case kIdBlankControlCodes:
    case kIdReplaceCheck:
    case kIdSearchText:
    case kIdInsertCharsCheck:
    case kIdInsertBytesCheck:
    case kIdInsertBytes:
    case kIdInsertChars:
    case kIdFullWidthToOne:
    case kIdRegexCheck:
    case kIdInputCodePage:
    case kIdOutputCodePage:
      // Every notification, so that typing in an edit is judged at once.
      UpdateControlStates(controls);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // Stored first: loading the settings already sends change notifications.
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    OnInitDialog(dialog, *reinterpret_cast<MainDialogState*>(lParam));
    return TRUE;
  }
  INT_PTR themeAnswer = 0;
  if (HandleMainDialogThemeMessage(dialog, message, wParam, lParam, &themeAnswer)) {
    return themeAnswer;
  }
  MainDialogState* state = StateOf(dialog);
  if (!state) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return OnCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam));
    case WM_SIZE:
      // Minimised: nothing to place; the controls are placed again when restored.
      if (state->layout && wParam != SIZE_MINIMIZED) state->layout->Place();
      return TRUE;
    case WM_GETMINMAXINFO:
      if (state->layout) state->layout->ApplyTo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return TRUE;
    case WM_DESTROY:
      state->layout.reset();
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_HELP:  // F1
      ShowHelp(dialog);
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) {
        // Logging off or shutting down: save quietly, there is no one to tell.
        SaveSettings(WindowControls(dialog));
        EndDialog(dialog, 1);
      }
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void AttachParentConsole() {
  bool keepOutput = HasUsableHandle(STD_OUTPUT_HANDLE);
  bool keepInput = HasUsableHandle(STD_INPUT_HANDLE);
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  FILE* stream = nullptr;
  if (!keepInput) _wfreopen_s(&stream, L"CONIN$", L"r", stdin);
  if (!keepOutput) _wfreopen_s(&stream, L"CONOUT$", L"w", stdout);
}

void DetachParentConsole() { FreeConsole(); }

int RunMainDialog() {
  HRESULT com = CoInitialize(nullptr);
  InitCommonControls();
  ReadDarkPreference();
  EnableDarkModeForApp();
  AllowDropsFromLowerPrivilege();
  INT_PTR result = -1;
  {
    // The state holds a COM object (the taskbar's), let go of before COM is closed.
    MainDialogState state;
    int templateId = japaneseUi ? IDD_MAIN_JAPANESE : IDD_MAIN_ENGLISH;
    result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                             MainDialogProc, reinterpret_cast<LPARAM>(&state));
    SetCurrentMessageHost(nullptr);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  ReleaseDarkBackgroundBrush();
  if (result == -1) {
    // Without its dialog the program has done nothing; it must not look like a success.
    const char16_t* text = Text(u"メインダイアログを開けません。", u"Cannot open the main dialog.");
    if (consoleMode) {
      ConsoleMessageHost().ReportMessage(WideText(text) + u"\n");
    } else {
      ConsoleMessageHost().ShowMessageBox(text, ProductTitle(), kBoxIconError | kBoxOk);
    }
    return 1;
  }
  return 0;
}
