#include "engine/run_job.h"

#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/collect_job.h"
#include "engine/replace_text.h"
#include "engine/run_error.h"
#include "engine/visit_folder.h"

bool RunJob(const DialogControls& controls, EngineContext& context) {
  MessageHost& host = *context.host;
  JobOptions job = CollectJobOptions(controls);
  if (job.replaceEnabled) {
    if (!PrepareReplacement(controls, &job, host)) return false;
  } else {
    job.replacementText.clear();
    job.replaceIgnoreCase = job.replaceSingleLine = job.replaceDotNotNewline = false;
  }

  // Held rather than named, so that a current directory of any depth is found again.
  HeldFolder before;
  bool haveBefore = context.files->HoldCurrentDir(&before);
  if (!context.files->SetCurrentDir(PathFromWide(job.targetDirectory))) {
    ReportRunError(host, Text(u"指定されたフォルダに移動できません。", u"SetCurrentDirectory error."));
    return false;
  }

  context.counters = RunCounters();
  resultsText.clear();
  resultsText.reserve(8192);

  bool completed = VisitFolder(context, job);
  host.EndProgress();
  if (!completed) host.ReportMessage(Text(u"中断されました。\r\n", u"Aborted.\r\n"));

  WideText summary = FormatMessageText(
      Text(u"%d個中 %d個のファイルの置換を行いました。", u"Target files:%d, Replaced files:%d"),
      {context.counters.targetsSeen, context.counters.filesWritten});
  if (haveBefore) context.files->GoToFolder(before);

  if (consoleMode) {
    host.ReportMessage(summary + u"\n");
  } else {
    host.ShowResults(summary, resultsText.empty()
                                  ? Text(u"変換中にエラーはありませんでした。", u"No errors occured.")
                                  : std::u16string_view(resultsText));
  }
  return completed;
}
