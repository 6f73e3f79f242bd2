#include "engine/process_file.h"

#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "core/encoding_catalogue.h"
#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/byte_order_mark.h"
#include "engine/read_text_file.h"
#include "engine/replace_regex.h"
#include "engine/too_large_error.h"
#include "engine/replace_text.h"
#include "engine/stream_file.h"
#include "engine/transformations.h"
#include "engine/write_text_file.h"

namespace {

const char16_t* ReadStatusMessage(int status, bool insertingBytes) {
  switch (status) {
    case ReadCannotOpen:
      return Text(u"ファイル %s を読み込みモードで開けません。\r\n", u"Cannot open %s.\r\n");
    case ReadEmpty:
      return Text(u"ファイル %s は内容が空です。\r\n", u"%s is empty.\r\n");
    case ReadFailed:
      return Text(u"ファイル %s の読み込み中にエラーが発生しました。\r\n", u"Cannot read %s.\r\n");
    case ReadNoConverter:
      return Text(u"IMultiLanguage2のインスタンス作成に失敗しました。\r\n",
                  u"Cannot create IMultiLanguage2.\r\n");
    case ReadCannotDecode:
      if (insertingBytes) {
        return Text(
            u"ファイル %s のUnicode変換工程でエラーが発生しました。ファイル内容が文字列として解釈でき"
            u"ないか、「指定したバイト数毎に改行コードを挟む」によりファイル内容が破壊された可能性があ"
            u"ります。\r\n",
            u"Cannot encode %s to Unicode.\r\n");
      }
      return Text(
          u"ファイル %s のUnicode変換工程でエラーが発生しました。ファイル内容が文字列として解釈でき"
          u"ません。\r\n",
          u"Cannot encode %s to Unicode.\r\n");
    case ReadAborted:
      return Text(u"ファイル %s 処理中止しました。\r\n", u"Abort %s.\r\n");
    case ReadBinary:
      return Text(u"ファイル %s はバイナリファイルのため変換しません。\r\n",
                  u"%s is a binary file; not converted.\r\n");
    case ReadTooLarge:
    default:
      return Text(u"ファイル %s は大きすぎるため処理できません。\r\n", u"%s is too large.\r\n");
  }
}

void Report(EngineContext& context, const char16_t* format, const WideText& name) {
  context.host->ReportMessage(FormatMessageText(format, {name}));
}

// The transformations in the order they run. Each one the job does not ask for leaves the
// text alone; each answers whether it changed the text.
using Transformation = bool (*)(WideText& text, const JobOptions& job);
constexpr Transformation kTransformations[] = {
    [](WideText& text, const JobOptions& job) {
      return job.lineEndingConversion != -1 && UnifyLineEndings(text, job.lineEndingConversion);
    },
    [](WideText& text, const JobOptions& job) {
      return job.fullWidthSpaceToTwo && SplitFullWidthSpaces(text);
    },
    [](WideText& text, const JobOptions& job) {
      return job.fullWidthSpaceToOne && ReplaceFullWidthSpaces(text);
    },
    [](WideText& text, const JobOptions& job) {
      return job.trimTrailingWhiteSpace && TrimLineEndWhiteSpace(text);
    },
    [](WideText& text, const JobOptions& job) {
      return job.expandTabs && ExpandTabsToColumns(text, job.tabColumns);
    },
    [](WideText& text, const JobOptions& job) {
      return job.removeControlCodes && DeleteControlCodes(text);
    },
    [](WideText& text, const JobOptions& job) {
      return job.controlCodesToSpaces && BlankControlCodes(text);
    },
    [](WideText& text, const JobOptions& job) {
      return job.insertEveryChars != 0 &&
             InsertLineBreaks(text, job.insertEveryChars, job.lineEndingKind);
    },
    [](WideText& text, const JobOptions& job) {
      return job.replaceEnabled && ReplaceInText(text, job);
    },
};

// Copies the file to <name>.bak. False, with the reason reported, when it cannot: the file
// is then not written.
bool BackUp(EngineContext& context, const NativePath& name) {
  const NativePath backupName = AppendSuffix(name, ".bak");
  uint32_t error = 0;
  if (context.files->CopyFileReplacing(name, backupName, &error)) return true;
  Report(context,
         Text(u"バックアップによるファイル %s の作成に失敗しました。置換は中止します。\r\n",
              u"Cannot create a backup file - %s.\r\n"),
         PathForDisplay(backupName));
  return false;
}

// Gives the written file the times it had before (none when they could not be read), or
// reports why it cannot.
void RestoreTimes(EngineContext& context, const NativePath& name,
                  const std::optional<FileTimes>& times, const WideText& shownName) {
  if (!times) {
    Report(context,
           Text(u"ファイル %s の元のタイムスタンプの読み出しに失敗しました。\r\n",
                u"Cannot read the timestamp. - %s\r\n"),
           shownName);
    return;
  }
  switch (context.files->SetFileTimes(name, *times)) {
    case SetTimesResult::kOk:
      break;
    case SetTimesResult::kCannotOpen:
      Report(context,
             Text(u"ファイル %s タイムスタンプを設定するためのオープンに失敗。\r\n",
                  u"Cannot open(for change the timestamp). - %s\r\n"),
             shownName);
      break;
    case SetTimesResult::kCannotSet:
      Report(context,
             Text(u"ファイル %s タイムスタンプを設定できません。\r\n",
                  u"Cannot change the timestamp. - %s\r\n"),
             shownName);
      break;
  }
}

// Writes the changed text over the file: its times are read first, then the backup is
// made (nothing is written without it), the file written and counted, its times set
// back; last, what the writer had to say.
// write(title, detail) puts the new content in place.
template <class Write>
void WriteChangedFile(EngineContext& context, const NativePath& name, const JobOptions& job,
                      const WideText& shownName, Write&& write) {
  std::optional<FileTimes> times;
  if (job.keepTimestamps) {
    FileTimes read;
    if (context.files->GetFileTimes(name, &read)) times = read;
  }
  if (job.makeBackup && !BackUp(context, name)) return;
  std::optional<WideText> title, detail;
  if (write(&title, &detail)) {
    ++context.counters.filesWritten;
    if (job.keepTimestamps) RestoreTimes(context, name, times, shownName);
  }
  if (title || detail) {
    context.host->ReportMessage(FormatMessageText(
        u"%s:%s - %s\r\n", {shownName, title ? *title : WideText(), detail ? *detail : WideText()}));
  }
}

// A file with nothing to write may still be the one a killed rewrite left behind (new in
// part, or cut short): the copy of its old content beside it says so, and the user hears
// of it as when the file is to be written.
void ReportLeftKeepCopy(EngineContext& context, const NativePath& name,
                        const WideText& shownName) {
  NativePath keep;
  if (!context.files->KeepCopyLeftBeside(name, &keep)) return;
  context.host->ReportMessage(FormatMessageText(
      u"%s:%s\r\n",
      {shownName,
       FormatMessageText(
           Text(u"書き換えの途中で残った控え %s があります。ファイルと見比べてから消してください",
                u"%s is left from an unfinished rewrite; compare it with the file, then remove it"),
           {PathForDisplay(keep)})}));
}

// The rest of a file that went down the streaming road: its new content waits in a work
// file, which takes the file's place only when the text changed. Messages, polls and
// counts are those of the whole-text road.
FileOutcome FinishStreamedFile(EngineContext& context, const NativePath& name,
                               const JobOptions& job, const WideText& shownName,
                               StreamedFile& file) {
  if (file.status != ReadOk) {
    Report(context, ReadStatusMessage(file.status, false), shownName);
    return FileOutcome::kContinue;
  }
  auto poll = [&] { return context.host->AbortRequested(); };
  // After the read and after every transformation.
  for (size_t i = 0; i <= std::size(kTransformations); ++i) {
    if (poll()) return FileOutcome::kStop;
  }
  const bool changed =
      file.changed || WrittenInOtherCodePage(job, file.inputCodePage, file.outputCodePage);
  if (changed) {
    WriteChangedFile(context, name, job, shownName,
                     [&](std::optional<WideText>* title, std::optional<WideText>* detail) {
                       return PutWrittenText(context, name, file.output.get(), file.bytes,
                                             file.substituted, title, detail);
                     });
  } else {
    file.output.reset();
    ReportLeftKeepCopy(context, name, shownName);
  }
  ++context.counters.targetsSeen;
  if (poll()) return FileOutcome::kStop;
  return FileOutcome::kContinue;
}

// Hands the result of a regular-expression replacement to a ContentWriter, after the
// byte-order mark, which is written only once the result is known to differ.
class WriterOutput : public ReplacementOutput {
 public:
  WriterOutput(ContentWriter& writer, std::string_view mark) : writer_(writer), mark_(mark) {}

  bool Take(WideText& units) override { return Start() && Keep(writer_.Hand(units, false)); }

  // The result has ended. False when a piece could not be written.
  bool Finish() {
    WideText none;
    return Start() && Keep(writer_.Hand(none, true));
  }

 private:
  bool Start() {
    if (!started_) {
      started_ = true;
      Keep(writer_.Write(mark_));
    }
    return !failed_;
  }

  bool Keep(bool written) {
    failed_ |= !written;
    return written;
  }

  ContentWriter& writer_;
  std::string_view mark_;
  bool started_ = false;
  bool failed_ = false;
};

// The replacement by regular expression, its result written to a work file (or while
// small, held in bytes) as it is made, so that a large text is never held twice. changed
// tells whether it differs from the text; nothing is written when it does not. nullptr,
// with the text as it was, where the result cannot be written so: for a job without a
// regular expression, a file system that writes whole files, no converter, a code page
// that is not encoded in pieces, no work file, a converter that broke off. The
// replacement is then made on the whole text, and its writer tells of any failure.
std::unique_ptr<StreamedFile> ReplaceIntoWorkFile(EngineContext& context, const NativePath& name,
                                                  const JobOptions& job, const WideText& text,
                                                  uint32_t outputCodePage, uint32_t bomFlag) {
  if (!job.replaceEnabled || !job.replaceUseRegex || !job.compiledPattern ||
      !context.files->WritesInPieces()) {
    return nullptr;
  }
  uint32_t failure = 0;
  std::unique_ptr<Codec> codec = context.createCodec(&failure);
  if (!codec || !codec->EncodesPieces(outputCodePage)) return nullptr;
  auto file = std::make_unique<StreamedFile>();
  ContentWriter writer(context, name, *file, context.streamHeldBytes);
  writer.EncodeWith(*codec, outputCodePage);
  WriterOutput output(writer,
                      bomFlag == 1 ? ByteOrderMarkFor(outputCodePage) : std::string_view());
  file->changed =
      ReplaceByPatternInPieces(text, *job.compiledPattern, job.replacementText, job.matchOptions,
                               context.replacementPieceUnits, output);
  if (file->changed && !output.Finish()) return nullptr;
  return file;
}

FileOutcome ProcessFileSteps(EngineContext& context, const NativePath& name,
                             const JobOptions& job, const WideText& shownName) {
  if (std::unique_ptr<StreamedFile> streamed = StreamFile(context, name, job)) {
    return FinishStreamedFile(context, name, job, shownName, *streamed);
  }
  WideText text;
  uint32_t inputCodePage = job.inputOtherCodePage;
  uint32_t bomFlag = 0;
  ReadStatus status = ReadTextFile(context, name, &text, job.inputEncodingIndex, &inputCodePage,
                                   &bomFlag, job.lineEndingKind, job.insertEveryBytes);
  if (status != ReadOk) {
    Report(context, ReadStatusMessage(status, job.insertEveryBytes != 0), shownName);
    return FileOutcome::kContinue;
  }

  // Line endings put in every n bytes have already altered the content.
  bool changed = job.insertEveryBytes != 0;
  // The user may stop the run after the read and after every transformation, asked for
  // or not, and once the file is done.
  auto poll = [&] { return context.host->AbortRequested(); };
  if (poll()) return FileOutcome::kStop;
  const size_t last = std::size(kTransformations) - 1;  // the replacement
  for (size_t i = 0; i < last; ++i) {
    changed |= kTransformations[i](text, job);
    if (poll()) return FileOutcome::kStop;
  }
  const uint32_t outputCodePage = ResolveOutputCodePage(job, inputCodePage);
  std::unique_ptr<StreamedFile> replaced =
      ReplaceIntoWorkFile(context, name, job, text, outputCodePage, bomFlag);
  changed |= replaced ? replaced->changed : kTransformations[last](text, job);
  if (poll()) return FileOutcome::kStop;

  if (WrittenInOtherCodePage(job, inputCodePage, outputCodePage)) changed = true;
  if (replaced && replaced->changed) {
    // The new content is all written: the text is no longer needed.
    WideText().swap(text);
    WriteChangedFile(context, name, job, shownName,
                     [&](std::optional<WideText>* title, std::optional<WideText>* detail) {
                       return PutWrittenText(context, name, replaced->output.get(),
                                             replaced->bytes, replaced->substituted, title,
                                             detail);
                     });
  } else if (changed) {
    WriteChangedFile(context, name, job, shownName,
                     [&](std::optional<WideText>* title, std::optional<WideText>* detail) {
                       return WriteTextFile(context, name, std::move(text), outputCodePage,
                                            bomFlag, title, detail);
                     });
  } else {
    ReportLeftKeepCopy(context, name, shownName);
  }

  ++context.counters.targetsSeen;
  if (poll()) return FileOutcome::kStop;
  return FileOutcome::kContinue;
}

}  // namespace

FileOutcome ProcessFile(EngineContext& context, const NativePath& name, const JobOptions& job) {
  WideText shownName = PathForDisplay(name);
  try {
    return ProcessFileSteps(context, name, job, shownName);
  } catch (const TooLargeError&) {
    // A step would have grown the text past what the program holds.
    Report(context, ReadStatusMessage(ReadTooLarge, false), shownName);
  } catch (const std::bad_alloc&) {
    Report(context,
           Text(u"ファイル %s を読込むためのメモリが足りません。\r\n", u"Not enough memory. - %s\r\n"),
           shownName);
  } catch (const std::out_of_range&) {
    Report(context,
           Text(u"ファイル %s を処理中の内部エラーです：out_of_range\r\n",
                u"out_of_range. - %s\r\n"),
           shownName);
  } catch (const std::exception&) {
    Report(context,
           Text(u"ファイル %s を処理中の内部エラーです：exception\r\n", u"exception. - %s\r\n"),
           shownName);
  } catch (...) {
    Report(context,
           Text(u"ファイル %s を処理中の内部エラーです：想定外の例外\r\n", u"error. - %s\r\n"),
           shownName);
  }
  return FileOutcome::kContinue;
}
