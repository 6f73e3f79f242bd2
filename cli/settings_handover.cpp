#include "cli/settings_handover.h"

#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace {

// What one key is given from the options: a number, or a text for the text keys.
struct OptionValue {
  OptionValue(int32_t n = 0) : number(n) {}
  OptionValue(std::u16string_view t) : text(t) {}
  int32_t number = 0;
  std::u16string_view text;
};

std::u16string_view TextOrEmpty(const std::optional<WideText>& text) {
  return text ? std::u16string_view(*text) : std::u16string_view();
}

OptionValue ValueFor(const CliOptions& o, SettingId id) {
  switch (id) {
    case SettingId::kTargetPath: return {};  // written per target
    case SettingId::kFileBackup: return {o.fileBackup};
    case SettingId::kSearchSubFolders: return {o.searchSubFolders};
    case SettingId::kCharEncode: return {o.charEncode};
    case SettingId::kCharEncodeOther: return {o.charEncodeOther};
    case SettingId::kWriteEncode: return {o.writeEncode};
    case SettingId::kWriteEncodeOther: return {o.writeEncodeOther};
    case SettingId::kCrlfTrans: return {o.crlfTrans};
    case SettingId::kCrlfTransWay: return {o.crlfTransWay};
    case SettingId::kZenSp2SpSp: return {o.zenSp2SpSp};
    case SettingId::kZenSp2Sp: return {o.zenSp2Sp};
    case SettingId::kDelRightWhiteSpace: return {o.delRightWhiteSpace};
    case SettingId::kTab2Space: return {o.tab2Space};
    case SettingId::kTab2SpaceClm: return {o.tab2SpaceClm};
    case SettingId::kDelControlCode: return {o.delControlCode};
    case SettingId::kControlCode2Space: return {o.controlCode2Space};
    case SettingId::kSetts: return {o.setts};
    // Replacing is on only when both texts were given.
    case SettingId::kReplaceString: return {o.beforeReplace && o.afterReplace ? 1 : 0};
    case SettingId::kBeforeReplace: return TextOrEmpty(o.beforeReplace);
    case SettingId::kAfterReplace: return TextOrEmpty(o.afterReplace);
    case SettingId::kRepUseRegex: return {o.repUseRegex};
    case SettingId::kRepICase: return {o.repICase};
    case SettingId::kRep1Line: return {o.rep1Line};
    case SettingId::kRepMatchNotDotNewLine: return {o.repMatchNotDotNewLine};
    case SettingId::kInsLfByte: return {o.insLfByte};
    case SettingId::kInsLfChar: return {o.insLfChar};
  }
  return {};
}

}  // namespace

bool WriteOptionSettings(const CliOptions& options, std::u16string_view* failedKey) {
  // The keys are written together when the session finishes (or, after a failure, ends).
  SettingsStoreSession session;
  const char16_t* firstKey = nullptr;
  for (const SettingKey& key : kSettingKeys) {
    if (key.id == SettingId::kTargetPath) continue;
    OptionValue value = ValueFor(options, key.id);
    bool written = key.kind == SettingKind::kText ? WriteTextSettingNarrow(key.name, value.text)
                                                  : WriteIntSettingNarrow(key.name, value.number);
    if (!written) {
      *failedKey = key.name;
      return false;
    }
    if (!firstKey) firstKey = key.name;
  }
  if (!session.Finish()) {
    // Nothing of this hand-over reached the store: named by the first key it wrote.
    *failedKey = firstKey;
    return false;
  }
  return true;
}

bool WriteTargetSetting(std::u16string_view fullPath) {
  return WriteTextSettingNarrow(SettingKeyOf(SettingId::kTargetPath).name, fullPath);
}
