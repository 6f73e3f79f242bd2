#include "ui/control_states.h"

#include <string>

#include "core/encoding_catalogue.h"
#include "core/process_flags.h"

namespace {

bool CanStart(const DialogControls& c) {
  if (c.GetText(kIdTarget).empty()) return false;
  bool anyConversion = c.GetSelection(kIdOutputList) != 0 && c.GetSelection(kIdOutputList) != -1;
  for (int id : {kIdInsertBytesCheck, kIdInsertCharsCheck, kIdLineEndingCheck, kIdFullWidthToTwo,
                 kIdFullWidthToOne, kIdTrimWhiteSpace, kIdTabsCheck, kIdDeleteControlCodes,
                 kIdBlankControlCodes, kIdReplaceCheck}) {
    anyConversion |= c.IsChecked(id);
  }
  if (!anyConversion) return false;
  if (c.IsChecked(kIdReplaceCheck) && c.GetText(kIdSearchText).empty()) return false;
  if (c.IsChecked(kIdTabsCheck) && ReadNumberEdit(c, kIdTabWidth) == 0) return false;
  if (c.IsChecked(kIdInsertBytesCheck) && ReadNumberEdit(c, kIdInsertBytes) == 0) return false;
  if (c.IsChecked(kIdInsertCharsCheck) && ReadNumberEdit(c, kIdInsertChars) == 0) return false;
  if (c.GetSelection(kIdOutputList) == 9 && ReadNumberEdit(c, kIdOutputCodePage) == 0) return false;
  if (c.GetSelection(kIdInputList) == 9 && ReadNumberEdit(c, kIdInputCodePage) == 0) return false;
  return true;
}

}  // namespace

void UpdateControlStates(DialogControls& c) {
  c.SetEnabled(kIdStart, CanStart(c));

  int input = c.GetSelection(kIdInputList);
  if (input >= 1 && input <= 8 && CatalogueCodePage(input) == 20290) {
    c.SetSelection(kIdLineEndingList, 2);
    c.SetEnabled(kIdLineEndingList, false);
  } else {
    c.SetEnabled(kIdLineEndingList, true);
  }

  bool tabs = c.IsChecked(kIdTabsCheck);
  c.SetEnabled(kIdTabWidthLabel, tabs);
  c.SetEnabled(kIdTabWidth, tabs);
  c.SetEnabled(kIdBlankControlCodes, !c.IsChecked(kIdDeleteControlCodes));

  bool replace = c.IsChecked(kIdReplaceCheck);
  for (int id : {kIdReplaceGroup, kIdSearchLabel, kIdReplacementLabel, kIdSearchText,
                 kIdReplacementText, kIdRegexCheck, kIdIgnoreCase, kIdSingleLine, kIdDotNotNewline}) {
    c.SetEnabled(id, replace);
  }
  if (replace && !c.IsChecked(kIdRegexCheck)) {
    c.SetEnabled(kIdSingleLine, false);
    c.SetEnabled(kIdDotNotNewline, false);
  }
  c.SetEnabled(kIdInsertBytes, c.IsChecked(kIdInsertBytesCheck));
  c.SetEnabled(kIdInsertChars, c.IsChecked(kIdInsertCharsCheck));
}

void OnEncodingListChanged(DialogControls& c, int listId) {
  int editId = listId == kIdInputList ? kIdInputCodePage : kIdOutputCodePage;
  int position = c.GetSelection(listId);
  if (position == 9) {
    c.SetEnabled(editId, true);
    c.SetText(editId, u"");
  } else {
    c.SetEnabled(editId, false);
    if (position >= 1 && position <= 8) {
      std::string digits = std::to_string(CatalogueCodePage(position));
      c.SetText(editId, WideText(digits.begin(), digits.end()));
    } else if (position == 0) {
      c.SetText(editId, u"-");
    }
  }
  UpdateControlStates(c);
}
