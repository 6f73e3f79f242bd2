#include "cli/quillonc_main.h"

#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "platform/console_output.h"
#include "cli/full_path.h"
#include "cli/help_text.h"
#include "cli/settings_handover.h"
#include "core/ascii_case.h"
#include "core/message_format.h"
#include "core/process_flags.h"
#include "platform/directory.h"
#include "platform/environment.h"
#include "platform/process_launch.h"
#include "platform/store_lock.h"
#include "platform/system_error.h"
#include "settings/rega.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

namespace {

#ifdef _WIN32
constexpr PathChar kSeparator = L'\\';
#else
constexpr PathChar kSeparator = '/';
#endif

bool ChooseJapanese() {
  WideText value;
  if (GetEnvironmentText("QUILLON_LANG", &value) && !value.empty()) return EqualsIgnoringAsciiCase(value, u"JA");
  return ConsoleLanguageIsJapanese();
}

NativePath Literal(const char* ascii) {
  NativePath path;
  for (; *ascii; ++ascii) path.push_back(static_cast<PathChar>(*ascii));
  return path;
}

// The folder of the running program, ending in a separator.
NativePath ProgramFolder(const NativePath& program) {
  size_t cut = program.find_last_of(Literal("\\/"));
  return cut == NativePath::npos ? NativePath() : program.substr(0, cut + 1);
}

// What the lock of the active store is named by: a lock file beside the store here, the
// store itself on Windows.
NativePath StoreLockIdentity(const NativePath& iniPath) {
#ifdef _WIN32
  return useIniStore ? iniPath : Literal("HKCU\\") + PathFromWide(kSettingsKeyPath);
#else
  return (useIniStore ? iniPath : RegistryHivePath()) + ".lock";
#endif
}

WideText StoreName(const NativePath& iniPath) {
  return useIniStore ? PathForDisplay(iniPath) : u"HKEY_CURRENT_USER\\" + WideText(kSettingsKeyPath);
}

void Report(const char16_t* format, std::initializer_list<FormatArg> args) {
  WriteConsoleText(StandardStream::kError, FormatMessageText(format, args), 0, true);
}

}  // namespace

int QuillonCMain(const std::vector<NativePath>& nativeArgs) {
  bool japanese = ChooseJapanese();
  japaneseUi = japanese;
  REGA::SetJapanese(japanese);

  std::vector<WideText> args;
  args.reserve(nativeArgs.size());
  for (const NativePath& arg : nativeArgs) args.push_back(PathForDisplay(arg));

  if (WantsHelp(args)) {
    WriteConsoleText(StandardStream::kOutput, HelpText(japanese), 0, true);
    return 0;
  }
  if (WantsVersion(args)) {
    WriteConsoleText(StandardStream::kOutput, VersionText(), 0, true);
    return 0;
  }

  NativePath self;
  bool haveSelf = GetExecutablePath(&self);
  useIniStore = haveSelf && ProgramNameSelectsIni(PathForDisplay(self));

  CliParse parse = ParseCommandLine(args);
  if (parse.error != CliError::kNone) {
    Report(ParseErrorText(parse.error, japanese), {parse.offendingArgument});
    return 1;
  }

  NativePath folder = ProgramFolder(self);
  NativePath iniPath = folder + Literal("quillon.ini");
  NativePath program = folder + Literal(useIniStore ? "quillon_o" : "quillon");
#ifdef _WIN32
  program += L".exe";
#endif
  SetIniFilePath(iniPath);

  // Held until the last quillon has ended, so that no other hand-over to the same store
  // can change the settings a running job reads.
  // Without it another hand-over could change the settings under this one's job, so
  // nothing is written and nothing is run then.
  const NativePath lockIdentity = StoreLockIdentity(iniPath);
  StoreLock lock(lockIdentity);
  if (!lock.held()) {
    Report(LockFailureText(japanese),
           {PathForDisplay(lockIdentity), SystemErrorText(japanese, lock.error())});
    return 1;
  }

  if (useIniStore) EnsureIniFile();
  std::u16string_view failedKey;
  if (!WriteOptionSettings(parse.options, &failedKey)) {
    // quillon would otherwise run with whatever the store held before.
    Report(SettingsNotWrittenText(japanese), {StoreName(iniPath) + u" (" + WideText(failedKey) + u")"});
    return 1;
  }

  const WideText argument = u"/CUIMODE";
  // Each target is handed over in turn, whatever became of the one before; an abnormal
  // end of quillon shows in the exit code once all have been handed over.
  bool abnormalEnd = false;
  for (size_t i = parse.firstTarget; i < nativeArgs.size(); ++i) {
    NativePath fullPath;
    if (!FormFullPath(nativeArgs[i], &fullPath)) {
      Report(InvalidFileNameText(japanese), {args[i]});
      continue;
    }
    if (!WriteTargetSetting(PathForDisplay(fullPath))) {
      Report(SettingsNotWrittenText(japanese), {StoreName(iniPath) + u" (TargetPath)"});
      continue;
    }
    uint32_t error = 0;
    ProgramEnd end;
    if (!RunProgramAndWait(program, argument, &error, &end)) {
      Report(LaunchFailureText(japanese), {error, LaunchCommandLine(program, argument)});
    } else if (!end.Normal()) {
      // Killed (out of memory, a signal) or failed: its job may be half done.
      Report(AbnormalEndText(japanese), {ProgramEndText(end, japanese)});
      abnormalEnd = true;
    }
  }
  return abnormalEnd ? 1 : 0;
}
