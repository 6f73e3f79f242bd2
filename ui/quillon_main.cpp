#include "ui/quillon_main.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/encoding_catalogue.h"
#include "core/job_options.h"
#include "core/message_format.h"
#include "core/process_flags.h"
#include "engine/engine_context.h"
#include "engine/process_file.h"

namespace {

// Options are ASCII; a native argument is narrowed unit by unit for comparison.
std::string Narrow(const NativePath& arg) {
  std::string out;
  for (auto c : arg) out.push_back(static_cast<char>(c));
  return out;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
      return false;
    }
  }
  return true;
}

void ChooseLanguage() {
  const char* lang = std::getenv("QUILLON_LANG");
  if (lang && *lang) japaneseUi = (lang[0] == 'j' || lang[0] == 'J') &&
                                 (lang[1] == 'a' || lang[1] == 'A') && lang[2] == 0;
}

// Reads the conversion switches in front of the file names into job. False on a switch
// it does not know.
bool ReadSwitches(const std::vector<NativePath>& args, size_t* next, JobOptions* job) {
  for (; *next < args.size(); ++*next) {
    std::string arg = Narrow(args[*next]);
    if (arg == "--") {
      ++*next;
      return true;
    }
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return true;
    std::string value = arg.size() > 3 ? arg.substr(3) : std::string();
    if (StartsWithNoCase(arg, "/c:") || StartsWithNoCase(arg, "-c:")) {
      job->lineEndingConversion = StartsWithNoCase(value, "crlf") ? 0
                                  : StartsWithNoCase(value, "lf") ? 1
                                                                  : 2;
      job->lineEndingKind = job->lineEndingConversion;
    } else if (StartsWithNoCase(arg, "/t:") || StartsWithNoCase(arg, "-t:")) {
      job->expandTabs = true;
      job->tabColumns = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (StartsWithNoCase(arg, "/f:") || StartsWithNoCase(arg, "-f:")) {
      int index = ParseEncodingName(value, &job->inputOtherCodePage);
      if (index < 0) return false;
      job->inputEncodingIndex = static_cast<int16_t>(index);
    } else if (StartsWithNoCase(arg, "/o:") || StartsWithNoCase(arg, "-o:")) {
      int index = ParseEncodingName(value, &job->outputOtherCodePage);
      if (index < 0) return false;
      job->outputEncodingIndex = static_cast<int16_t>(index);
    } else if (arg.size() == 2) {
      switch (std::tolower(static_cast<unsigned char>(arg[1]))) {
        case 'z': job->fullWidthSpaceToTwo = true; break;
        case 'h': job->fullWidthSpaceToOne = true; break;
        case 'w': job->trimTrailingWhiteSpace = true; break;
        case 'd': job->removeControlCodes = true; break;
        case 'k': job->makeBackup = true; break;
        case 's': job->keepTimestamps = true; break;
        default: return false;
      }
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

// Converts the files named on the command line with the switches in front of them.
// The full start-up with the settings store and the dialog takes this place later.
int QuillonMain(const std::vector<NativePath>& args) {
  ChooseLanguage();
  consoleMode = true;
  JobOptions job;
  size_t next = 0;
  if (!ReadSwitches(args, &next, &job)) {
    std::fputs("usage: quillon [/C:CRLF|LF|CR] [/Z] [/H] [/W] [/T:n] [/D] [/F:enc] [/O:enc] "
               "[/K] [/S] [--] file...\n", stderr);
    return 1;
  }
  EngineContext context;
  for (; next < args.size(); ++next) {
    if (ProcessFile(context, args[next], job) == FileOutcome::kStop) break;
  }
  WideText summary = FormatMessageText(
      Text(u"%d個中 %d個のファイルの置換を行いました。", u"Target files:%d, Replaced files:%d"),
      {context.counters.targetsSeen, context.counters.filesWritten});
  context.host->ReportMessage(summary + u"\n");
  return 0;
}
