#include "ui/settings_io.h"

#include <string>

#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/run_error.h"
#include "platform/directory.h"
#include "platform/system_error.h"
#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace {

constexpr size_t kTextLimit = 8191;  // units, without the terminator

WideText UnsignedText(uint32_t value) {
  std::string digits = std::to_string(value);
  return WideText(digits.begin(), digits.end());
}

WideText CodePageText(int32_t value) {
  return value != 0 ? UnsignedText(static_cast<uint32_t>(value)) : WideText(u"-");
}

WideText LimitedText(const DialogControls& controls, int id) {
  WideText text = controls.GetText(id);
  if (text.size() > kTextLimit) text.resize(kTextLimit);
  return text;
}

int32_t Number(const DialogControls& controls, int id) {
  return static_cast<int32_t>(ReadNumberEdit(controls, id));
}

// Reads one key from the active store into its controls, by the key's loading rule.
void LoadSetting(DialogControls& controls, const SettingKey& key) {
  switch (key.load) {
    case SettingLoad::kText:
      controls.SetText(key.control, ReadTextSetting(key.name));
      return;
    case SettingLoad::kFlag:
      controls.SetChecked(key.control, ReadIntSetting(key.name, key.defaultValue) != 0);
      return;
    case SettingLoad::kEncodingList:
    case SettingLoad::kList: {
      int32_t position = ReadIntSetting(key.name, key.defaultValue);
      bool good = position >= key.low && position <= key.high;
      controls.SetSelection(key.control, good ? position : 0);
      if (key.load == SettingLoad::kEncodingList) {
        controls.SetEnabled(key.partner, position == key.high);
      }
      return;
    }
    case SettingLoad::kCodePage:
      controls.SetText(key.control, CodePageText(ReadIntSetting(key.name, key.defaultValue)));
      return;
    case SettingLoad::kRange: {
      int32_t value = ReadIntSettingInRange(key.name, key.low, key.high, key.defaultValue);
      controls.SetText(key.control, UnsignedText(static_cast<uint32_t>(value)));
      return;
    }
    case SettingLoad::kEveryN: {
      int32_t value = ReadIntSetting(key.name, key.defaultValue);
      if (value == 0) return;
      controls.SetChecked(key.partner, true);
      controls.SetText(key.control, UnsignedText(static_cast<uint32_t>(value)));
      return;
    }
  }
}

// The number a key stores for its controls' state.
int32_t NumberToSave(const DialogControls& controls, const SettingKey& key) {
  switch (key.load) {
    case SettingLoad::kFlag:
      return controls.IsChecked(key.control) ? 1 : 0;
    case SettingLoad::kEncodingList:
    case SettingLoad::kList:
      return controls.GetSelection(key.control);
    case SettingLoad::kEveryN:
      return controls.IsChecked(key.partner) ? Number(controls, key.control) : 0;
    case SettingLoad::kText:  // stored as text, never as a number
    case SettingLoad::kCodePage:
    case SettingLoad::kRange:
      break;
  }
  return Number(controls, key.control);
}

// The store's file as the user can find it: "./quillon.ini" becomes the path in the
// current folder (the program's folder by now).
WideText StorePathForMessage(const NativePath& path) {
  NativePath folder;
  bool relative = path.size() > 2 && path[0] == '.' && (path[1] == '/' || path[1] == '\\');
  if (!relative || !GetCurrentFolder(&folder) || folder.empty()) return PathForDisplay(path);
  if (folder.back() == path[1]) folder.pop_back();
  return PathForDisplay(folder + path.substr(1));
}

}  // namespace

bool CheckStoreReadable(MessageHost& host) {
  StoreProblem problem;
  if (ActiveStoreReadable(&problem)) return true;
  WideText reason = problem.state == StoreFileState::kNotAFile
                        ? WideText(Text(u"通常のファイルではありません", u"not a regular file"))
                        : SystemErrorText(japaneseUi, problem.error);
  ReportRunError(host, FormatMessageText(Text(u"設定ファイル %s を読み込めません - %s",
                                              u"Cannot read the settings %s - %s"),
                                         {StorePathForMessage(problem.path), reason}));
  return false;
}

void LoadSettings(DialogControls& controls) {
  if (useIniStore) EnsureIniFile();
  SettingsStoreSession session;
  for (const SettingKey& key : kSettingKeys) LoadSetting(controls, key);
}

bool SaveSettings(const DialogControls& controls) {
  if (useIniStore) EnsureIniFile();
  SettingsStoreSession session;
  bool ok = true;
  for (const SettingKey& key : kSettingKeys) {
    ok &= key.kind == SettingKind::kText
              ? WriteTextSetting(key.name, LimitedText(controls, key.control))
              : WriteIntSetting(key.name, NumberToSave(controls, key));
  }
  return session.Finish() && ok;
}
