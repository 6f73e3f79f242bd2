// The main dialog's controls as the program logic sees them. The Win32 dialog binds this
// to its window; MemoryControls (core/memory_controls.h) holds them without a window.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/wide_text.h"

enum ControlId : int {
  kIdStart = 1,
  kIdClose = 2,
  kIdHelp = 9,
  kIdTarget = 1000,
  kIdBrowse = 1001,
  kIdLineEndingCheck = 1002,
  kIdFullWidthToTwo = 1005,
  kIdTrimWhiteSpace = 1006,
  kIdTabsCheck = 1007,
  kIdTabWidth = 1008,
  kIdTabWidthLabel = 1009,
  kIdDeleteControlCodes = 1010,
  kIdBlankControlCodes = 1011,
  kIdReplaceCheck = 1012,
  kIdSearchText = 1013,
  kIdReplacementText = 1014,
  kIdAbout = 1015,
  kIdSubfolders = 1016,
  kIdSearchLabel = 1017,
  kIdReplacementLabel = 1018,
  kIdIgnoreCase = 1019,
  kIdReplaceGroup = 1020,
  kIdSingleLine = 1021,
  kIdDotNotNewline = 1022,
  kIdBackup = 1023,
  kIdLineEndingList = 1024,
  kIdInputList = 1025,
  kIdInsertCharsCheck = 1026,
  kIdInsertBytesCheck = 1027,
  kIdInsertBytes = 1028,
  kIdInsertChars = 1029,
  kIdBanner = 1030,
  kIdOutputList = 1031,
  kIdFullWidthToOne = 1032,
  kIdRegexCheck = 1033,
  kIdInputCodePage = 1034,
  kIdOutputCodePage = 1036,
  kIdKeepTimestamps = 1037,
};

class DialogControls {
 public:
  virtual ~DialogControls() = default;
  virtual WideText GetText(int id) const = 0;
  virtual void SetText(int id, std::u16string_view text) = 0;
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  // The selected list position, -1 when nothing is selected.
  virtual int GetSelection(int id) const = 0;
  // Selects a position; one beyond the list's items leaves nothing selected.
  virtual void SetSelection(int id, int position) = 0;
  virtual bool IsEnabled(int id) const = 0;
  virtual void SetEnabled(int id, bool enabled) = 0;
  virtual void AddListItem(int id, std::u16string_view text) = 0;
};

// A number edit read as an unsigned 32-bit number: 0 when the text is empty, not an
// unsigned decimal number, or beyond 32 bits.
uint32_t ReadNumberEdit(const DialogControls& controls, int id);
