// Loading a system library never picks up a file of the same name from the current folder,
// and leaves the current folder as it was.
#include "ui/win32/system_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/test_support.h"

namespace {

std::wstring CurrentFolder() {
  wchar_t buffer[MAX_PATH] = L"";
  DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

// The current folder moved for one test and put back.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder) : previous_(CurrentFolder()) {
    SetCurrentDirectoryW(folder.wstring().c_str());
  }
  ~InFolder() { SetCurrentDirectoryW(previous_.c_str()); }

 private:
  std::wstring previous_;
};

TEST(SystemLibraryTest, ALibraryInTheCurrentFolderIsNotLoaded) {
  TempDir temp;
  // A loadable module under a name no system library has: this test program itself.
  wchar_t self[MAX_PATH] = L"";
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const wchar_t* name = L"quillon_planted_library.dll";
  std::filesystem::copy_file(self, temp.path() / name);

  InFolder inTemp(temp.path());
  std::wstring before = CurrentFolder();
  HMODULE planted = LoadLibraryW(name);
  ASSERT_NE(planted, nullptr) << "a plain load finds the file in the current folder";
  FreeLibrary(planted);

  EXPECT_EQ(LoadSystemLibrary(name), nullptr);
  EXPECT_EQ(CurrentFolder(), before);
}

TEST(SystemLibraryTest, SystemLibraryLoadsAndTheFolderIsPutBack) {
  TempDir temp;
  InFolder inTemp(temp.path());
  std::wstring before = CurrentFolder();
  HMODULE dwmapi = LoadSystemLibrary(L"dwmapi.dll");
  EXPECT_NE(dwmapi, nullptr);
  EXPECT_EQ(CurrentFolder(), before);
  if (dwmapi) FreeLibrary(dwmapi);
}

}  // namespace
