#include "engine/collect_job.h"

#include "platform/environment.h"

JobOptions CollectJobOptions(const DialogControls& controls) {
  JobOptions job;
  SplitTargetPath(controls.GetText(kIdTarget), &job.targetDirectory, &job.filePattern);
  job.makeBackup = controls.IsChecked(kIdBackup);
  job.searchSubfolders = controls.IsChecked(kIdSubfolders);
  job.inputEncodingIndex = static_cast<int16_t>(controls.GetSelection(kIdInputList));
  job.inputOtherCodePage = ReadNumberEdit(controls, kIdInputCodePage);
  job.outputEncodingIndex = static_cast<int16_t>(controls.GetSelection(kIdOutputList));
  job.outputOtherCodePage = ReadNumberEdit(controls, kIdOutputCodePage);
  job.insertEveryBytes =
      controls.IsChecked(kIdInsertBytesCheck) ? ReadNumberEdit(controls, kIdInsertBytes) : 0;
  job.lineEndingKind = static_cast<int16_t>(controls.GetSelection(kIdLineEndingList));
  job.lineEndingConversion =
      controls.IsChecked(kIdLineEndingCheck) ? job.lineEndingKind : int16_t{-1};
  job.fullWidthSpaceToTwo = controls.IsChecked(kIdFullWidthToTwo);
  job.fullWidthSpaceToOne = controls.IsChecked(kIdFullWidthToOne);
  job.trimTrailingWhiteSpace = controls.IsChecked(kIdTrimWhiteSpace);
  job.expandTabs = controls.IsChecked(kIdTabsCheck);
  job.tabColumns = ReadNumberEdit(controls, kIdTabWidth);
  job.removeControlCodes = controls.IsChecked(kIdDeleteControlCodes);
  job.controlCodesToSpaces =
      controls.IsChecked(kIdBlankControlCodes) && !controls.IsChecked(kIdDeleteControlCodes);
  job.keepTimestamps = controls.IsChecked(kIdKeepTimestamps);
  job.insertEveryChars =
      controls.IsChecked(kIdInsertCharsCheck) ? ReadNumberEdit(controls, kIdInsertChars) : 0;
  job.replaceEnabled = controls.IsChecked(kIdReplaceCheck);
  return job;
}
