// The full paths quillonc hands over for its targets.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/full_path.h"
#include "platform/directory.h"
#include "tests/test_support.h"

namespace {

class CurrentFolder {
 public:
  explicit CurrentFolder(const NativePath& folder) {
    GetCurrentFolder(&saved_);
    SetCurrentFolder(folder);
  }
  ~CurrentFolder() { SetCurrentFolder(saved_); }

 private:
  NativePath saved_;
};

#ifndef _WIN32
TEST(CliFullPath, RelativeTargetsJoinTheCurrentFolderByText) {
  TempDir dir;
  std::filesystem::create_directory(dir / "sub");
  NativePath base = std::filesystem::canonical(dir.path()).string();
  CurrentFolder here(base + "/sub");
  NativePath full;
  ASSERT_TRUE(FormFullPath("*.txt", &full));
  EXPECT_EQ(full, base + "/sub/*.txt");
  ASSERT_TRUE(FormFullPath("../x//./y/../*.c", &full));
  EXPECT_EQ(full, base + "/x/*.c");
  ASSERT_TRUE(FormFullPath("nothere/", &full));
  EXPECT_EQ(full, base + "/sub/nothere/");
  ASSERT_TRUE(FormFullPath("/a/../../b", &full));
  EXPECT_EQ(full, "/b");
  ASSERT_TRUE(FormFullPath("/", &full));
  EXPECT_EQ(full, "/");
}

TEST(CliFullPath, RefusesWhatCannotBeHandedOver) {
  NativePath full;
  EXPECT_FALSE(FormFullPath("", &full));
  EXPECT_FALSE(FormFullPath("/tmp/bad\xff.txt", &full));
  std::string longest = "/" + std::string(518, 'a');  // 519 characters fit the buffer
  ASSERT_TRUE(FormFullPath(longest, &full));
  EXPECT_EQ(full, longest);
  EXPECT_FALSE(FormFullPath(longest + "a", &full));
  // Characters, not bytes, count: 519 characters of three bytes each still fit.
  std::string wide = "/";
  for (int i = 0; i < 518; ++i) wide += "\xe3\x81\x82";
  EXPECT_TRUE(FormFullPath(wide, &full));
}
#else
TEST(CliFullPath, RelativeTargetsBecomeAbsolute) {
  TempDir dir;
  CurrentFolder here(ToNative(dir.path()));
  NativePath current;
  ASSERT_TRUE(GetCurrentFolder(&current));
  NativePath full;
  ASSERT_TRUE(FormFullPath(L"*.txt", &full));
  EXPECT_EQ(full, current + L"\\*.txt");
  EXPECT_FALSE(FormFullPath(L"", &full));
  std::wstring longest = L"C:\\" + std::wstring(516, L'a');  // 519 characters
  EXPECT_TRUE(FormFullPath(longest, &full));
  EXPECT_FALSE(FormFullPath(longest + L"a", &full));
}
#endif

}  // namespace
