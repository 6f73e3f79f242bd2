#include "engine/visit_folder.h"

#include <unordered_set>
#include <vector>

#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/process_file.h"
#include "platform/work_files.h"

namespace {

// What one run has met: a file reached again through another name (a hard link, a link
// to it, a linked folder) is not converted twice, and a folder is entered once, so that
// links between folders cannot make the walk go round or multiply.
struct WalkMemory {
  std::unordered_set<FileIdentity, FileIdentityHash> files;
  std::unordered_set<FileIdentity, FileIdentityHash> folders;
  // For the progress shown while the walk goes on: the current folder as the user named
  // the target and the subfolders below it, and the folders and files met so far.
  NativePath where;
  uint32_t foldersEntered = 0;
  uint32_t filesVisited = 0;
};

void ShowProgress(EngineContext& context, const WalkMemory& memory) {
  context.host->ShowProgress(
      {memory.foldersEntered, memory.filesVisited, context.counters.filesWritten},
      memory.where);
}

// The separator of the platform's names, for the folder shown as progress ('/' is one
// everywhere).
constexpr PathChar kShownSeparator = sizeof(PathChar) == 1 ? '/' : '\\';

void ReportFolder(EngineContext& context, const NativePath& name) {
  context.host->ReportMessage(FormatMessageText(
      Text(u"フォルダ %s に移動できません。\r\n", u"SetCurrentDirectory error. - %s\r\n"),
      {PathForDisplay(name)}));
}

// Takes one file of the current folder through the pipeline unless the run has met it
// already. A write may replace the file by a new one, which a later name of it (a link
// met afterwards) leads to, while the folder's listing still shows a later name of it
// as it was: both identities are remembered. As a number let go of may be given to a
// new file, an identity from the listing that the run has met is looked at once more
// before the file is passed over.
FileOutcome VisitFile(EngineContext& context, const JobOptions& job, WalkMemory& memory,
                      const DirectoryEntry& entry) {
  FileSystem& files = *context.files;
  FileIdentity identity = entry.identity;
  if (!identity.known) files.FileIdentityOf(entry.name, &identity);
  if (identity.known && memory.files.count(identity) != 0) {
    FileIdentity now;
    if (!files.FileIdentityOf(entry.name, &now)) now = FileIdentity();
    if (now.known && memory.files.count(now) != 0) return FileOutcome::kContinue;
    identity = now;
  }
  const uint32_t writtenBefore = context.counters.filesWritten;
  FileOutcome outcome = ProcessFile(context, entry.name, job);
  ++memory.filesVisited;
  ShowProgress(context, memory);
  if (identity.known) memory.files.insert(identity);
  FileIdentity written;
  if (context.counters.filesWritten != writtenBefore &&
      files.FileIdentityOf(entry.name, &written)) {
    memory.files.insert(written);
  }
  return outcome;
}

// here: the current folder, held to come back to after each subfolder.
bool Visit(EngineContext& context, const JobOptions& job, WalkMemory& memory,
           const HeldFolder& here) {
  FileSystem& files = *context.files;
  ++memory.foldersEntered;
  ShowProgress(context, memory);
  std::vector<DirectoryEntry> entries;
  files.ListDirectory(PathFromWide(job.filePattern), job.searchSubfolders, &entries);

  for (const DirectoryEntry& entry : entries) {
    if (entry.plainFile && IsLeftoverTemporary(entry.name)) files.RemoveLeftover(entry.name);
  }
  for (const DirectoryEntry& entry : entries) {
    if (entry.isDirectory || !entry.matches) continue;
    if (context.host->AbortRequested()) return false;
    // The program's own temporaries and keep copies are never targets.
    if (IsWorkFileName(entry.name)) continue;
    if (VisitFile(context, job, memory, entry) == FileOutcome::kStop) return false;
  }
  if (!job.searchSubfolders) return true;

  for (const DirectoryEntry& entry : entries) {
    if (!entry.isDirectory) continue;
    if (context.host->AbortRequested()) return false;
    HeldFolder folder;
    FileIdentity identity;
    if (!files.HoldSubfolder(entry.name, &folder, &identity)) {
      ReportFolder(context, entry.name);
      continue;
    }
    if (identity.known && !memory.folders.insert(identity).second) continue;
    if (!files.GoToFolder(folder)) {
      ReportFolder(context, entry.name);
      continue;
    }
    const size_t whereLength = memory.where.size();
    if (!memory.where.empty() && memory.where.back() != '/' &&
        memory.where.back() != kShownSeparator) {
      memory.where += kShownSeparator;
    }
    memory.where += entry.name;
    bool completed = Visit(context, job, memory, folder);
    memory.where.resize(whereLength);
    if (!files.GoToFolder(here)) {
      // The folder we came from is gone: nothing below can be found any more.
      ReportFolder(context, here.path());
      return false;
    }
    if (!completed) return false;
  }
  return true;
}

}  // namespace

bool VisitFolder(EngineContext& context, const JobOptions& job) {
  WalkMemory memory;
  memory.where = PathFromWide(job.targetDirectory);
  HeldFolder root;
  FileIdentity identity;
  if (!context.files->HoldSubfolder(PathFromWide(u"."), &root, &identity)) {
    // Without a way back only this folder's own files can be converted.
    ReportFolder(context, PathFromWide(job.targetDirectory));
    JobOptions flat = job;
    flat.searchSubfolders = false;
    return Visit(context, flat, memory, root);
  }
  if (identity.known) memory.folders.insert(identity);
  return Visit(context, job, memory, root);
}
