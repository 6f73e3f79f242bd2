#include "ui/quillon_main.h"

#include "core/ascii_case.h"
#include "core/process_flags.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/message_host.h"
#include "settings/regw.h"
#include "ui/executable_integrity.h"
#include "ui/main_dialog.h"

namespace {

void ChooseLanguage() {
  WideText value;
  bool japanese = GetEnvironmentText("QUILLON_LANG", &value) && !value.empty()
                      ? EqualsIgnoringAsciiCase(value, u"JA")
                      : SystemLanguageIsJapanese();
  if (!japanese) {
    japaneseUi = false;
    REGW::SetJapanese(false);
  }
}

// The program's own folder becomes the current directory: the INI file lies there.
void EnterProgramFolder() {
  NativePath program;
  if (!GetExecutablePath(&program)) return;
  WideText folder, name;
  SplitTargetPath(PathForDisplay(program), &folder, &name);
  size_t cut = program.size() - PathFromWide(name).size();
  if (cut == 0) return;
  NativePath programFolder = program.substr(0, cut);
  // Keep the separator of a root folder ("C:\", "/"), drop it elsewhere.
  if (programFolder.size() > 1 && !(programFolder.size() == 3 && programFolder[1] == ':')) {
    programFolder.pop_back();
  }
  SetCurrentFolder(programFolder);
}

}  // namespace

int QuillonMain(const std::vector<NativePath>& args) {
  ChooseLanguage();
  // The whole argument text counts as one.
  WideText arguments;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) arguments += u' ';
    arguments += PathForDisplay(args[i]);
  }
  if (arguments == u"/CUIMODE") {
    consoleMode = true;
    AttachParentConsole();
  }
  EnterProgramFolder();
  if (EqualsIgnoringAsciiCase(arguments, u"/O")) {
    useIniStore = true;
  } else if (EqualsIgnoringAsciiCase(arguments, u"/OR")) {
    useIniStore = true;
    copySettingsMode = true;
  } else if (EqualsIgnoringAsciiCase(arguments, u"/RO")) {
    useIniStore = false;
    copySettingsMode = true;
  } else {
    NativePath program;
    if (GetExecutablePath(&program)) useIniStore = ProgramNameSelectsIni(PathForDisplay(program));
  }
  // Before the dialog, and so before any file is read or written, in every mode.
  int code = VerifyExecutableIntegrity(ReadProgramChecksum(), ConsoleMessageHost())
                 ? RunMainDialog()
                 : 1;
  if (consoleMode) DetachParentConsole();
  return code;
}
