#include "engine/visit_folder.h"

#include <string>
#include <vector>

#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/process_file.h"

namespace {

bool IsDotEntry(const NativePath& name) {
  return name.size() <= 2 && !name.empty() && name[0] == '.' && (name.size() == 1 || name[1] == '.');
}

// folders: identities of the folders on the current path, so that a link leading back
// into one of them is never followed.
bool Visit(EngineContext& context, const JobOptions& job, std::vector<std::string>& folders) {
  FileSystem& files = *context.files;
  std::vector<DirectoryEntry> entries;
  if (files.ListDirectory(PathFromWide(job.filePattern), &entries)) {
    for (const DirectoryEntry& entry : entries) {
      if (context.host->AbortRequested()) return false;
      if (entry.isDirectory) continue;
      if (ProcessFile(context, entry.name, job) == FileOutcome::kStop) return false;
    }
  }
  if (!job.searchSubfolders) return true;

  NativePath here;
  if (!files.GetCurrentDir(&here)) return true;
  static const NativePath kEverything = PathFromWide(u"*.*");
  if (!files.ListDirectory(kEverything, &entries)) return true;
  for (const DirectoryEntry& entry : entries) {
    if (context.host->AbortRequested()) return false;
    if (!entry.isDirectory || IsDotEntry(entry.name)) continue;
    std::string identity;
    bool known = files.FolderIdentity(entry.name, &identity);
    if (known) {
      bool onPath = false;
      for (const std::string& folder : folders) onPath |= folder == identity;
      if (onPath) continue;
    }
    if (!files.SetCurrentDir(entry.name)) {
      context.host->ReportMessage(FormatMessageText(
          Text(u"フォルダ %s に移動できません。\r\n", u"SetCurrentDirectory error. - %s\r\n"),
          {PathForDisplay(entry.name)}));
      continue;
    }
    folders.push_back(known ? identity : std::string());
    bool completed = Visit(context, job, folders);
    folders.pop_back();
    if (!files.SetCurrentDir(here)) {
      // The folder we came from is gone: nothing below can be found any more.
      context.host->ReportMessage(FormatMessageText(
          Text(u"フォルダ %s に移動できません。\r\n", u"SetCurrentDirectory error. - %s\r\n"),
          {PathForDisplay(here)}));
      return false;
    }
    if (!completed) return false;
  }
  return true;
}

}  // namespace

bool VisitFolder(EngineContext& context, const JobOptions& job) {
  std::vector<std::string> folders;
  std::string identity;
  if (context.files->FolderIdentity(PathFromWide(u"."), &identity)) folders.push_back(identity);
  return Visit(context, job, folders);
}
