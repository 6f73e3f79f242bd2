#include "cli/settings_handover.h"

#include "settings/settings_keys.h"
#include "settings/settings_store.h"

namespace {

struct KeyValue {
  std::u16string_view key;
  bool isText;
  int32_t number;
  std::u16string_view text;
};

}  // namespace

bool WriteOptionSettings(const CliOptions& o, std::u16string_view* failedKey) {
  bool replace = o.beforeReplace.has_value() && o.afterReplace.has_value();
  std::u16string_view before = o.beforeReplace ? std::u16string_view(*o.beforeReplace) : u"";
  std::u16string_view after = o.afterReplace ? std::u16string_view(*o.afterReplace) : u"";
  const KeyValue values[] = {
      {u"FileBackup", false, o.fileBackup, {}},
      {u"SearchSubFolders", false, o.searchSubFolders, {}},
      {u"CharEncode", false, o.charEncode, {}},
      {u"CharEncodeOther", false, o.charEncodeOther, {}},
      {u"WriteEncode", false, o.writeEncode, {}},
      {u"WriteEncodeOther", false, o.writeEncodeOther, {}},
      {u"CrlfTrans", false, o.crlfTrans, {}},
      {u"CrlfTransWay", false, o.crlfTransWay, {}},
      {u"ZenSp2SpSp", false, o.zenSp2SpSp, {}},
      {u"ZenSp2Sp", false, o.zenSp2Sp, {}},
      {u"DelRightWhiteSpace", false, o.delRightWhiteSpace, {}},
      {u"Tab2Space", false, o.tab2Space, {}},
      {u"Tab2SpaceClm", false, o.tab2SpaceClm, {}},
      {u"DelControlCode", false, o.delControlCode, {}},
      {u"ControlCode2Space", false, o.controlCode2Space, {}},
      {u"SETTS", false, o.setts, {}},
      {u"ReplaceString", false, replace ? 1 : 0, {}},
      {u"BeforeReplace", true, 0, before},
      {u"AfterReplace", true, 0, after},
      {u"RepUseRegex", false, o.repUseRegex, {}},
      {u"RepICase", false, o.repICase, {}},
      {u"Rep1Line", false, o.rep1Line, {}},
      {u"RepMatchNotDotNewLine", false, o.repMatchNotDotNewLine, {}},
      {u"InsLfByte", false, o.insLfByte, {}},
      {u"InsLfChar", false, o.insLfChar, {}},
  };
  static_assert(sizeof values / sizeof values[0] == kSettingCount - 1, "every key but TargetPath");
  for (const KeyValue& v : values) {
    bool written = v.isText ? WriteTextSettingNarrow(v.key, v.text)
                            : WriteIntSettingNarrow(v.key, v.number);
    if (!written) {
      *failedKey = v.key;
      return false;
    }
  }
  return true;
}

bool WriteTargetSetting(std::u16string_view fullPath) {
  return WriteTextSettingNarrow(u"TargetPath", fullPath);
}
