#include "ui/settings_io.h"

#include <string>

#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/run_error.h"
#include "platform/directory.h"
#include "platform/system_error.h"
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

void LoadFlag(DialogControls& controls, int id, const char16_t* key, int32_t defaultValue) {
  controls.SetChecked(id, ReadIntSetting(key, defaultValue) != 0);
}

void LoadEncoding(DialogControls& controls, int listId, int editId, const char16_t* indexKey,
                  const char16_t* codePageKey, int32_t defaultIndex) {
  int32_t index = ReadIntSetting(indexKey, defaultIndex);
  controls.SetSelection(listId, index >= 0 && index <= 9 ? index : 0);
  controls.SetEnabled(editId, index == 9);
  controls.SetText(editId, CodePageText(ReadIntSetting(codePageKey, 0)));
}

void LoadEveryN(DialogControls& controls, int checkId, int editId, const char16_t* key) {
  int32_t value = ReadIntSetting(key, 0);
  if (value == 0) return;
  controls.SetChecked(checkId, true);
  controls.SetText(editId, UnsignedText(static_cast<uint32_t>(value)));
}

WideText LimitedText(const DialogControls& controls, int id) {
  WideText text = controls.GetText(id);
  if (text.size() > kTextLimit) text.resize(kTextLimit);
  return text;
}

int32_t Flag(const DialogControls& controls, int id) { return controls.IsChecked(id) ? 1 : 0; }

int32_t Number(const DialogControls& controls, int id) {
  return static_cast<int32_t>(ReadNumberEdit(controls, id));
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
  controls.SetText(kIdTarget, ReadTextSetting(u"TargetPath"));
  LoadFlag(controls, kIdBackup, u"FileBackup", 0);
  LoadFlag(controls, kIdSubfolders, u"SearchSubFolders", 1);
  LoadEncoding(controls, kIdInputList, kIdInputCodePage, u"CharEncode", u"CharEncodeOther", 1);
  LoadEncoding(controls, kIdOutputList, kIdOutputCodePage, u"WriteEncode", u"WriteEncodeOther", 0);
  LoadFlag(controls, kIdLineEndingCheck, u"CrlfTrans", 0);
  int32_t way = ReadIntSetting(u"CrlfTransWay", 0);
  controls.SetSelection(kIdLineEndingList, way == 1 || way == 2 ? way : 0);
  LoadFlag(controls, kIdFullWidthToTwo, u"ZenSp2SpSp", 0);
  LoadFlag(controls, kIdFullWidthToOne, u"ZenSp2Sp", 0);
  LoadFlag(controls, kIdTrimWhiteSpace, u"DelRightWhiteSpace", 0);
  LoadFlag(controls, kIdTabsCheck, u"Tab2Space", 0);
  // 1 to 99 is what the dialog and quillonc store; anything else (a hand-edited or
  // damaged store) would expand every TAB to a huge run of spaces.
  int32_t columns = ReadIntSettingInRange(u"Tab2SpaceClm", 1, 99, 4);
  controls.SetText(kIdTabWidth, UnsignedText(static_cast<uint32_t>(columns)));
  LoadFlag(controls, kIdDeleteControlCodes, u"DelControlCode", 0);
  LoadFlag(controls, kIdBlankControlCodes, u"ControlCode2Space", 0);
  LoadFlag(controls, kIdKeepTimestamps, u"SETTS", 0);
  LoadFlag(controls, kIdReplaceCheck, u"ReplaceString", 0);
  controls.SetText(kIdSearchText, ReadTextSetting(u"BeforeReplace"));
  controls.SetText(kIdReplacementText, ReadTextSetting(u"AfterReplace"));
  LoadFlag(controls, kIdRegexCheck, u"RepUseRegex", 0);
  LoadFlag(controls, kIdIgnoreCase, u"RepICase", 0);
  LoadFlag(controls, kIdSingleLine, u"Rep1Line", 0);
  LoadFlag(controls, kIdDotNotNewline, u"RepMatchNotDotNewLine", 0);
  LoadEveryN(controls, kIdInsertBytesCheck, kIdInsertBytes, u"InsLfByte");
  LoadEveryN(controls, kIdInsertCharsCheck, kIdInsertChars, u"InsLfChar");
}

bool SaveSettings(const DialogControls& controls) {
  if (useIniStore) EnsureIniFile();
  bool ok = true;
  auto text = [&](const char16_t* key, int id) { ok &= WriteTextSetting(key, LimitedText(controls, id)); };
  auto number = [&](const char16_t* key, int32_t value) { ok &= WriteIntSetting(key, value); };
  text(u"TargetPath", kIdTarget);
  number(u"FileBackup", Flag(controls, kIdBackup));
  number(u"SearchSubFolders", Flag(controls, kIdSubfolders));
  number(u"CharEncode", controls.GetSelection(kIdInputList));
  number(u"CharEncodeOther", Number(controls, kIdInputCodePage));
  number(u"WriteEncode", controls.GetSelection(kIdOutputList));
  number(u"WriteEncodeOther", Number(controls, kIdOutputCodePage));
  number(u"CrlfTrans", Flag(controls, kIdLineEndingCheck));
  number(u"CrlfTransWay", controls.GetSelection(kIdLineEndingList));
  number(u"ZenSp2SpSp", Flag(controls, kIdFullWidthToTwo));
  number(u"ZenSp2Sp", Flag(controls, kIdFullWidthToOne));
  number(u"DelRightWhiteSpace", Flag(controls, kIdTrimWhiteSpace));
  number(u"Tab2Space", Flag(controls, kIdTabsCheck));
  number(u"Tab2SpaceClm", Number(controls, kIdTabWidth));
  number(u"DelControlCode", Flag(controls, kIdDeleteControlCodes));
  number(u"ControlCode2Space", Flag(controls, kIdBlankControlCodes));
  number(u"SETTS", Flag(controls, kIdKeepTimestamps));
  number(u"ReplaceString", Flag(controls, kIdReplaceCheck));
  text(u"BeforeReplace", kIdSearchText);
  text(u"AfterReplace", kIdReplacementText);
  number(u"RepUseRegex", Flag(controls, kIdRegexCheck));
  number(u"RepICase", Flag(controls, kIdIgnoreCase));
  number(u"Rep1Line", Flag(controls, kIdSingleLine));
  number(u"RepMatchNotDotNewLine", Flag(controls, kIdDotNotNewline));
  number(u"InsLfByte", controls.IsChecked(kIdInsertBytesCheck) ? Number(controls, kIdInsertBytes) : 0);
  number(u"InsLfChar", controls.IsChecked(kIdInsertCharsCheck) ? Number(controls, kIdInsertChars) : 0);
  return ok;
}
