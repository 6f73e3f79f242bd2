// The About box (module VantoriaLite): version, the maker's links, the description and the
// environment report. The program fills an AboutInfo and calls ShowAboutDialog.
#pragma once

#include <windows.h>

#include <cstdint>

// Shows every box of the module; MessageBoxW's signature.
using AboutMessageBox = int(WINAPI*)(HWND owner, const wchar_t* text, const wchar_t* caption,
                                UINT type);

struct AboutInfo {
  int32_t language = 0;  // non-zero: Japanese texts
  int32_t icon = 0;      // icon resource shown top left
  HINSTANCE module = nullptr;  // holds the icon
  HWND owner = nullptr;
  const wchar_t* title = L"";  // product title: version text, caption of link errors
  const wchar_t* webSite = nullptr;
  const wchar_t* contact = nullptr;  // a web address or an e-mail address
  const wchar_t* contributionPage = nullptr;  // null hides the contribution link
  const wchar_t* description = L"";
  const wchar_t* feedbackPage = nullptr;  // null hides the feedback link
  const wchar_t* extraText = nullptr;     // appended to the contact block
  HWND* windowSlot = nullptr;  // holds the About box while it is open
  AboutMessageBox messageBox = nullptr;  // null: MessageBoxW
};

// Control ids of the About box.
enum AboutControl : int {
  kAboutClose = IDCANCEL,
  kAboutVersion = 2002,
  kAboutContact = 2003,
  kAboutDescription = 2004,
  kAboutEnvironment = 2005,
  kAboutContribution = 2006,
  kAboutIcon = 2007,
  kAboutFeedback = 2009,
};

// Shows the modal About box; its result, or 0 when its template could not be made.
INT_PTR ShowAboutDialog(const AboutInfo& info);
