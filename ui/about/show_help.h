// The help file: quillon.chm beside the program, shown by the system's HTML Help control.
// Windows only.
#pragma once

#include <windows.h>

#include <string>

// Opens the help file's start page with `owner` as the owner window (Help button and F1).
// Nothing is reported when help cannot be shown.
void ShowHelp(HWND owner);

// The address of the start page for the program at `programPath`:
// "<program folder>\quillon.chm::/_RESOURCE/HLP000001.html". The help file is looked for
// beside the program, never in the current folder (which may be a folder being converted).
// Without a usable program path: ".\quillon.chm::/_RESOURCE/HLP000001.html".
std::wstring HelpTopicPath(const std::wstring& programPath);

// The library path held by the registry value of the help control's server, read as
// `type` and `data` (narrow text, possibly without its terminator). A REG_EXPAND_SZ value
// counts when its environment references expand and the result fits in 260 bytes with
// its terminator; a value of another type when it is shorter than 260 characters. Empty
// when the value does not count.
std::string HelpControlPathFromValue(DWORD type, const std::string& data);

// The wide-character HTML Help entry point (export ordinal 15 of the control).
using HtmlHelpFunction = HWND(WINAPI*)(HWND caller, const wchar_t* file, UINT command,
                                       DWORD_PTR data);

// How the control is found; the real ones read the registry and load system libraries.
struct HelpControlLoader {
  // The registered path of the control (see HelpControlPathFromValue); empty if none.
  std::string (*registeredPath)();
  // Loads a library by path or by name; null when it cannot be loaded.
  HMODULE (*load)(const std::string& path);
  // The export with this ordinal; null when there is none.
  FARPROC (*resolve)(HMODULE module, WORD ordinal);
};

HelpControlLoader SystemHelpControlLoader();

// The HTML Help control, loaded on first use and kept. A failure to load it or to find
// its entry point is remembered: later calls give null without trying again.
class HelpControl {
 public:
  explicit HelpControl(HelpControlLoader loader) : loader_(loader) {}
  HtmlHelpFunction EntryPoint();

 private:
  HelpControlLoader loader_;
  bool tried_ = false;
  HtmlHelpFunction entry_ = nullptr;
};
