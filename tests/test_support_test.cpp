// The guard that puts the process-wide state back: whatever a test changes must be as
// it was when the guard goes, or the tests depend on their order.
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/process_flags.h"
#include "settings/rega.h"
#include "settings/regw.h"
#include "settings/settings_store.h"

namespace {

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

TEST(ProcessStateGuard, PutsBackEverythingChangedMeanwhile) {
  TempDir dir;
  const bool japanese = japaneseUi, console = consoleMode, ini = useIniStore,
             copy = copySettingsMode, regw = REGW::Japanese(), rega = REGA::Japanese();
  const NativePath iniPath = IniFilePath();
  const WideText results = resultsText;
  MessageHost* host = &CurrentMessageHost();
  const std::filesystem::path folder = std::filesystem::current_path();
  const std::optional<std::string> config = Variable("XDG_CONFIG_HOME");
  const std::optional<std::string> language = Variable("QUILLON_LANG");
  RecordingHost recording;
  {
    ProcessStateGuard guard;
    japaneseUi = !japanese;
    consoleMode = !console;
    useIniStore = !ini;
    copySettingsMode = !copy;
    REGW::SetJapanese(!regw);
    REGA::SetJapanese(!rega);
    SetIniFilePath(ToNative(dir / "other.ini"));
    resultsText = u"left over";
    SetCurrentMessageHost(&recording);
    std::filesystem::current_path(dir.path());
    SetTestEnvironment("XDG_CONFIG_HOME", dir.path().string());
    SetTestEnvironment("QUILLON_LANG", language ? std::nullopt : std::optional<std::string>("JA"));
  }
  EXPECT_EQ(japaneseUi, japanese);
  EXPECT_EQ(consoleMode, console);
  EXPECT_EQ(useIniStore, ini);
  EXPECT_EQ(copySettingsMode, copy);
  EXPECT_EQ(REGW::Japanese(), regw);
  EXPECT_EQ(REGA::Japanese(), rega);
  EXPECT_EQ(IniFilePath(), iniPath);
  EXPECT_EQ(resultsText, results);
  EXPECT_EQ(&CurrentMessageHost(), host);
  EXPECT_EQ(std::filesystem::current_path(), folder);
  EXPECT_EQ(Variable("XDG_CONFIG_HOME"), config);
  EXPECT_EQ(Variable("QUILLON_LANG"), language);
}

}  // namespace
