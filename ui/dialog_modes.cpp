#include "ui/dialog_modes.h"

#include "core/process_flags.h"
#include "engine/run_job.h"
#include "ui/control_states.h"
#include "ui/settings_io.h"

bool InitializeMainDialog(DialogControls& controls, EngineContext& context) {
  FillLists(controls);
  // A job run or a copy made from defaults, in place of settings that could not be
  // read, would do what nobody asked for.
  if ((consoleMode || copySettingsMode) && !CheckStoreReadable(*context.host)) return true;
  LoadSettings(controls);
  UpdateControlStates(controls);
  if (consoleMode) {
    RunJob(controls, context);
    return true;
  }
  if (copySettingsMode) {
    useIniStore = !useIniStore;
    SaveOnClose(controls, *context.host);
    return true;
  }
  return false;
}

void SaveOnClose(const DialogControls& controls, MessageHost& host) {
  if (!SaveSettings(controls)) {
    const char16_t* text =
        useIniStore ? Text(u"設定の一部または全部を.\\quillon.iniへ保存できません。",
                           u"Cannot save settings - .\\quillon.ini.")
                    : Text(u"設定の一部または全部を HKCU\\Software\\Orvalent\\quillon\\CurrentVersion"
                           u"へ保存できません。",
                           u"Cannot save settings - HKCU\\Software\\Orvalent\\quillon\\CurrentVersion.");
    host.ShowMessageBox(text, ProductTitle(), kBoxIconWarning | kBoxOk);
  } else if (copySettingsMode) {
    const char16_t* text =
        useIniStore ? Text(u"設定を.\\quillon.iniへ保存しました。", u"Settings saved to .\\.\\quillon.ini.")
                    : Text(u"設定を HKCU\\Software\\Orvalent\\quillon\\CurrentVersionへ保存しました。",
                           u"Settings saved to HKCU\\Software\\Orvalent\\quillon\\CurrentVersion.");
    host.ShowMessageBox(text, ProductTitle(), kBoxIconInformation | kBoxOk);
  }
}
