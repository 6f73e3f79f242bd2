#include "ui/about/win32/program_about.h"

#include <string>

#include "about_addresses.h"
#include "core/process_flags.h"
#include "ui/about/about_description.h"
#include "ui/about/win32/about_dialog.h"
#include "ui/win32/message_box_hook.h"
#include "ui/win32/resource.h"

namespace {

// An empty build setting: no such address.
const wchar_t* Address(const char16_t* address) {
  return address[0] ? reinterpret_cast<const wchar_t*>(address) : nullptr;
}

// The box's own message boxes are the program's: dark while the program's theme is.
int WINAPI ProgramMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
  return ShowThemedMessageBox(owner, text, caption, type);
}

}  // namespace

void ShowProgramAbout(HWND owner) {
  std::u16string title(ProductTitle());
  AboutInfo info;
  info.language = japaneseUi ? 1 : 0;
  info.icon = IDI_QUILLON;
  info.module = GetModuleHandleW(nullptr);
  info.owner = owner;
  info.title = reinterpret_cast<const wchar_t*>(title.c_str());
  info.webSite = Address(kMakerWebSite);
  info.contact = Address(kMakerContact);
  info.contributionPage = Address(kMakerContributionPage);
  info.description = reinterpret_cast<const wchar_t*>(AboutDescription());
  info.feedbackPage = Address(kMakerFeedbackPage);
  info.messageBox = ProgramMessageBox;
  ShowAboutDialog(info);
}
