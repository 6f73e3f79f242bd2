// The help opener: where the help file is looked for, which library is taken as the HTML
// Help control, and that a control that cannot be had is given up on once.
#include "ui/about/show_help.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(HelpTopicPathTest, HelpFileBesideTheProgram) {
  EXPECT_EQ(HelpTopicPath(L"C:\\Tools\\quillon\\quillon.exe"),
            L"C:\\Tools\\quillon\\quillon.chm::/_RESOURCE/HLP000001.html");
  EXPECT_EQ(HelpTopicPath(L"C:\\quillon_o.exe"), L"C:\\quillon.chm::/_RESOURCE/HLP000001.html");
  EXPECT_EQ(HelpTopicPath(L"\\\\server\\share\\q\\quillon.exe"),
            L"\\\\server\\share\\q\\quillon.chm::/_RESOURCE/HLP000001.html");
  // Forward slashes, and a folder name with a dot in it.
  EXPECT_EQ(HelpTopicPath(L"C:/v1.0/quillon.exe"), L"C:/v1.0/quillon.chm::/_RESOURCE/HLP000001.html");
}

TEST(HelpTopicPathTest, WithoutProgramPathTheCurrentFolder) {
  EXPECT_EQ(HelpTopicPath(L""), L".\\quillon.chm::/_RESOURCE/HLP000001.html");
  EXPECT_EQ(HelpTopicPath(L"quillon.exe"), L".\\quillon.chm::/_RESOURCE/HLP000001.html");
}

TEST(HelpControlPathTest, PlainValues) {
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, std::string("C:\\W\\hhctrl.ocx\0", 16)),
            "C:\\W\\hhctrl.ocx");
  // Stored without its terminator.
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, "hh.ocx"), "hh.ocx");
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, ""), "");
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, std::string(1, '\0')), "");
  // 259 characters are taken, 260 are not.
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, std::string(259, 'a')).size(), 259u);
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, std::string(260, 'a')), "");
}

TEST(HelpControlPathTest, ExpandedValues) {
  ASSERT_TRUE(SetEnvironmentVariableA("QUILLON_HELP_TEST_DIR", "D:\\sys"));
  EXPECT_EQ(HelpControlPathFromValue(REG_EXPAND_SZ, "%QUILLON_HELP_TEST_DIR%\\hhctrl.ocx"),
            "D:\\sys\\hhctrl.ocx");
  // The expansion must fit in 260 bytes with its terminator.
  std::string longDir(250, 'd');
  ASSERT_TRUE(SetEnvironmentVariableA("QUILLON_HELP_TEST_DIR", longDir.c_str()));
  EXPECT_EQ(HelpControlPathFromValue(REG_EXPAND_SZ, "%QUILLON_HELP_TEST_DIR%\\a.ocx"),
            longDir + "\\a.ocx");
  EXPECT_EQ(HelpControlPathFromValue(REG_EXPAND_SZ, "%QUILLON_HELP_TEST_DIR%\\hhctrl.ocx"), "");
  // Unexpanded, the same text is short enough: the type decides.
  EXPECT_EQ(HelpControlPathFromValue(REG_SZ, "%QUILLON_HELP_TEST_DIR%\\hhctrl.ocx"),
            "%QUILLON_HELP_TEST_DIR%\\hhctrl.ocx");
  SetEnvironmentVariableA("QUILLON_HELP_TEST_DIR", nullptr);
}

// A loader that records what was asked of it.
struct FakeLoader {
  std::string registered;
  std::vector<std::string> loadable;
  bool hasEntry = true;
  std::vector<std::string> loads;
  int resolves = 0;
};
FakeLoader fake;

HWND WINAPI FakeHtmlHelp(HWND, const wchar_t*, UINT, DWORD_PTR) { return nullptr; }

HelpControlLoader FakeHelpControlLoader() {
  return HelpControlLoader{
      [] { return fake.registered; },
      [](const std::string& path) -> HMODULE {
        fake.loads.push_back(path);
        for (const std::string& name : fake.loadable) {
          if (name == path) return GetModuleHandleW(nullptr);
        }
        return nullptr;
      },
      [](HMODULE, WORD ordinal) -> FARPROC {
        ++fake.resolves;
        if (!fake.hasEntry || ordinal != 15) return nullptr;
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(FakeHtmlHelp));
      }};
}

class HelpControlTest : public ::testing::Test {
 protected:
  void SetUp() override { fake = FakeLoader(); }
};

TEST_F(HelpControlTest, RegisteredLibraryFirstAndLoadedOnce) {
  fake.registered = "C:\\windows\\system32\\hhctrl.ocx";
  fake.loadable = {fake.registered};
  HelpControl control(FakeHelpControlLoader());
  EXPECT_EQ(control.EntryPoint(), &FakeHtmlHelp);
  EXPECT_EQ(control.EntryPoint(), &FakeHtmlHelp);
  EXPECT_EQ(fake.loads, std::vector<std::string>{fake.registered});
  EXPECT_EQ(fake.resolves, 1);
}

TEST_F(HelpControlTest, ByNameWhenTheRegistryGivesNothingUsable) {
  fake.loadable = {"hhctrl.ocx"};
  HelpControl unregistered(FakeHelpControlLoader());
  EXPECT_EQ(unregistered.EntryPoint(), &FakeHtmlHelp);
  EXPECT_EQ(fake.loads, std::vector<std::string>{"hhctrl.ocx"});

  fake.loads.clear();
  fake.registered = "C:\\gone\\hhctrl.ocx";
  HelpControl missing(FakeHelpControlLoader());
  EXPECT_EQ(missing.EntryPoint(), &FakeHtmlHelp);
  EXPECT_EQ(fake.loads, (std::vector<std::string>{"C:\\gone\\hhctrl.ocx", "hhctrl.ocx"}));
}

TEST_F(HelpControlTest, FailureRememberedWithoutRetrying) {
  HelpControl control(FakeHelpControlLoader());
  EXPECT_EQ(control.EntryPoint(), nullptr);
  EXPECT_EQ(control.EntryPoint(), nullptr);
  EXPECT_EQ(fake.loads.size(), 1u);
  EXPECT_EQ(fake.resolves, 0);

  fake = FakeLoader();
  fake.loadable = {"hhctrl.ocx"};
  fake.hasEntry = false;
  HelpControl noEntry(FakeHelpControlLoader());
  EXPECT_EQ(noEntry.EntryPoint(), nullptr);
  fake.hasEntry = true;  // not asked again
  EXPECT_EQ(noEntry.EntryPoint(), nullptr);
  EXPECT_EQ(fake.resolves, 1);
  EXPECT_EQ(fake.loads.size(), 1u);
}

// The real loader on this system: whatever it finds, it does not load twice.
TEST(SystemHelpControlTest, AnswersTheSameEveryTime) {
  HelpControl control(SystemHelpControlLoader());
  HtmlHelpFunction first = control.EntryPoint();
  EXPECT_EQ(control.EntryPoint(), first);
}

}  // namespace
