// What quillonc shows: the help texts' shape and the full paths it hands over.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli/cli_messages.h"
#include "cli/full_path.h"
#include "cli/help_text.h"
#include "platform/directory.h"
#include "tests/test_support.h"

namespace {

std::vector<std::u16string> Lines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(u'\n', start)) != std::u16string_view::npos; start = end + 1) {
    lines.emplace_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the text ends in a line break";
  return lines;
}

// The option lines 8 to 26 start with U+3000 except the given ones, which start with
// two ASCII spaces.
void ExpectIndents(std::u16string_view text, std::vector<size_t> asciiLines) {
  std::vector<std::u16string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 29u);
  for (size_t n = 8; n <= 26; ++n) {
    bool ascii = std::find(asciiLines.begin(), asciiLines.end(), n) != asciiLines.end();
    const std::u16string& line = lines[n - 1];
    SCOPED_TRACE(n);
    if (ascii) {
      EXPECT_EQ(line.substr(0, 3), u"  /");
    } else {
      EXPECT_EQ(line.substr(0, 2), u"\u3000/");
    }
  }
  for (size_t n : {2u, 4u, 6u, 27u}) EXPECT_TRUE(lines[n - 1].empty()) << n;
  EXPECT_EQ(lines[4], u"quillonc [options] <target...>");
  EXPECT_EQ(lines[28].substr(0, 1), u"\u3000");
}

TEST(CliHelpText, LinesAndIndents) {
  ExpectIndents(HelpText(false), {21, 23});
  ExpectIndents(HelpText(true), {23});
  EXPECT_EQ(Lines(HelpText(false))[0], u"Tidewright for Command Line Edition");
  EXPECT_EQ(Lines(HelpText(true))[0], u"タイドライトコマンドライン版");
}

TEST(CliMessages, EnglishFileNameTextHasNoBlankAfterColon) {
  EXPECT_EQ(std::u16string_view(InvalidFileNameText(false)), u"quillonc:Invalid file name - %s\n");
  EXPECT_EQ(std::u16string_view(LaunchFailureText(false)),
            u"quillonc: Unexpected error(GetLastError()=%08x) - %s\n");
}

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
