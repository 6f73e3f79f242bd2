// The 26 settings keys in the order both programs handle them: their names, what they
// hold, their defaults, how a stored value is taken when it is loaded, and the dialog's
// controls that show them. Loading, saving, quillonc's hand-over and the copies between
// the stores all go through this one table, in its order.
#pragma once

#include <cstdint>

#include "core/dialog_controls.h"

enum class SettingKind { kText, kFlag, kInteger };

// The keys, numbered by their place in kSettingKeys.
enum class SettingId : int {
  kTargetPath,
  kFileBackup,
  kSearchSubFolders,
  kCharEncode,
  kCharEncodeOther,
  kWriteEncode,
  kWriteEncodeOther,
  kCrlfTrans,
  kCrlfTransWay,
  kZenSp2SpSp,
  kZenSp2Sp,
  kDelRightWhiteSpace,
  kTab2Space,
  kTab2SpaceClm,
  kDelControlCode,
  kControlCode2Space,
  kSetts,
  kReplaceString,
  kBeforeReplace,
  kAfterReplace,
  kRepUseRegex,
  kRepICase,
  kRep1Line,
  kRepMatchNotDotNewLine,
  kInsLfByte,
  kInsLfChar,
};

// How a stored value reaches the dialog (and, read backwards, how the dialog's state is
// stored).
enum class SettingLoad {
  kText,          // the text of an edit
  kFlag,          // a check box, checked for anything but 0
  kEncodingList,  // a list position from low to high, else the first; the last position
                  // (a code page of the user's own) enables the partner, its code page edit
  kList,          // a list position from low to high, else the first
  kCodePage,      // a number edit that shows 0 as "-"
  kRange,         // a number edit; a stored number outside low to high is the default
  kEveryN,        // a number edit that the partner check box turns on; 0 is off
};

// For a key without a control of its own.
inline constexpr ControlId kNoControl = static_cast<ControlId>(0);

struct SettingKey {
  SettingId id;
  const char16_t* name;
  SettingKind kind;
  int32_t defaultValue;  // unused for texts (empty)
  SettingLoad load;
  int32_t low = 0, high = 0;       // the good values, for the lists and kRange
  ControlId control = kNoControl;  // the control that shows the value
  ControlId partner = kNoControl;  // kEncodingList, kEveryN: the control that goes with it
};

inline constexpr int kSettingCount = 26;

inline constexpr SettingKey kSettingKeys[kSettingCount] = {
    // id, name, kind, default, loading rule, good values, control, partner
    {SettingId::kTargetPath, u"TargetPath", SettingKind::kText, 0, SettingLoad::kText, 0, 0, kIdTarget, kNoControl},
    {SettingId::kFileBackup, u"FileBackup", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdBackup, kNoControl},
    {SettingId::kSearchSubFolders, u"SearchSubFolders", SettingKind::kFlag, 1, SettingLoad::kFlag, 0, 0, kIdSubfolders, kNoControl},
    {SettingId::kCharEncode, u"CharEncode", SettingKind::kInteger, 1, SettingLoad::kEncodingList, 0, 9, kIdInputList, kIdInputCodePage},
    {SettingId::kCharEncodeOther, u"CharEncodeOther", SettingKind::kInteger, 0, SettingLoad::kCodePage, 0, 0, kIdInputCodePage, kNoControl},
    {SettingId::kWriteEncode, u"WriteEncode", SettingKind::kInteger, 0, SettingLoad::kEncodingList, 0, 9, kIdOutputList, kIdOutputCodePage},
    {SettingId::kWriteEncodeOther, u"WriteEncodeOther", SettingKind::kInteger, 0, SettingLoad::kCodePage, 0, 0, kIdOutputCodePage, kNoControl},
    {SettingId::kCrlfTrans, u"CrlfTrans", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdLineEndingCheck, kNoControl},
    {SettingId::kCrlfTransWay, u"CrlfTransWay", SettingKind::kInteger, 0, SettingLoad::kList, 0, 2, kIdLineEndingList, kNoControl},
    {SettingId::kZenSp2SpSp, u"ZenSp2SpSp", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdFullWidthToTwo, kNoControl},
    {SettingId::kZenSp2Sp, u"ZenSp2Sp", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdFullWidthToOne, kNoControl},
    {SettingId::kDelRightWhiteSpace, u"DelRightWhiteSpace", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdTrimWhiteSpace, kNoControl},
    {SettingId::kTab2Space, u"Tab2Space", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdTabsCheck, kNoControl},
    // 1 to 99 is what the dialog and quillonc store; anything else (a hand-edited or
    // damaged store) would expand every TAB to a huge run of spaces.
    {SettingId::kTab2SpaceClm, u"Tab2SpaceClm", SettingKind::kInteger, 4, SettingLoad::kRange, 1, 99, kIdTabWidth, kNoControl},
    {SettingId::kDelControlCode, u"DelControlCode", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdDeleteControlCodes, kNoControl},
    {SettingId::kControlCode2Space, u"ControlCode2Space", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdBlankControlCodes, kNoControl},
    {SettingId::kSetts, u"SETTS", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdKeepTimestamps, kNoControl},
    {SettingId::kReplaceString, u"ReplaceString", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdReplaceCheck, kNoControl},
    {SettingId::kBeforeReplace, u"BeforeReplace", SettingKind::kText, 0, SettingLoad::kText, 0, 0, kIdSearchText, kNoControl},
    {SettingId::kAfterReplace, u"AfterReplace", SettingKind::kText, 0, SettingLoad::kText, 0, 0, kIdReplacementText, kNoControl},
    {SettingId::kRepUseRegex, u"RepUseRegex", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdRegexCheck, kNoControl},
    {SettingId::kRepICase, u"RepICase", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdIgnoreCase, kNoControl},
    {SettingId::kRep1Line, u"Rep1Line", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdSingleLine, kNoControl},
    {SettingId::kRepMatchNotDotNewLine, u"RepMatchNotDotNewLine", SettingKind::kFlag, 0, SettingLoad::kFlag, 0, 0, kIdDotNotNewline, kNoControl},
    {SettingId::kInsLfByte, u"InsLfByte", SettingKind::kInteger, 0, SettingLoad::kEveryN, 0, 0, kIdInsertBytes, kIdInsertBytesCheck},
    {SettingId::kInsLfChar, u"InsLfChar", SettingKind::kInteger, 0, SettingLoad::kEveryN, 0, 0, kIdInsertChars, kIdInsertCharsCheck},
};

constexpr const SettingKey& SettingKeyOf(SettingId id) {
  return kSettingKeys[static_cast<int>(id)];
}

// Every row stands at the place its id names.
constexpr bool SettingRowsInIdOrder() {
  for (int i = 0; i < kSettingCount; ++i) {
    if (static_cast<int>(kSettingKeys[i].id) != i) return false;
  }
  return true;
}
static_assert(SettingRowsInIdOrder(), "a row of kSettingKeys is out of place");
