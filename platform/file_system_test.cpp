// The real file system of the platform the tests run on.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

void MakeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

const std::string kOld = "old line 1\r\nold line 2\r\n";
// A head and a body as the writer passes them: a byte-order mark and the text.
const std::string kHead = "\xEF\xBB\xBF";
const std::string kBody = std::string("new\0text\r\n", 10) + std::string(200, 'x');

class ReplaceFileContentsTest : public ::testing::Test {
 protected:
  ReplaceResult Replace(const fs::path& path, std::string_view head, std::string_view body) {
    error = 0;
    return RealFileSystem().ReplaceFileContents(ToNative(path), head, body, &error);
  }
  TempDir dir;
  uint32_t error = 0;
};

TEST_F(ReplaceFileContentsTest, WritesHeadThenBodyAndLeavesNothingElse) {
  WriteBytes(dir / "a.txt", kOld);
  WriteBytes(dir / "other.txt", "other");
  ASSERT_EQ(Replace(dir / "a.txt", kHead, kBody), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kHead + kBody);
  EXPECT_EQ(ReadBytes(dir / "other.txt"), "other");
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt", "other.txt"}));

  // Shorter content must not keep the old tail; empty content gives an empty file.
  ASSERT_EQ(Replace(dir / "a.txt", "", "ab"), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "ab");
  ASSERT_EQ(Replace(dir / "a.txt", "", ""), ReplaceResult::kOk);
  EXPECT_EQ(fs::file_size(dir / "a.txt"), 0u);
}

TEST_F(ReplaceFileContentsTest, BareNameInTheCurrentFolder) {
  WriteBytes(dir / "a.txt", kOld);
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  ReplaceResult result = Replace("a.txt", kHead, kBody);
  fs::current_path(before);
  ASSERT_EQ(result, ReplaceResult::kOk) << "error " << error;
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kHead + kBody);
  EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"a.txt"});
}

TEST_F(ReplaceFileContentsTest, ReadOnlyFileIsRefusedAndUntouched) {
  WriteBytes(dir / "a.txt", kOld);
  MakeReadOnly(dir / "a.txt");
  EXPECT_EQ(Replace(dir / "a.txt", kHead, kBody), ReplaceResult::kCannotCreate);
  EXPECT_NE(error, 0u);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kOld);
  EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"a.txt"});
}

TEST_F(ReplaceFileContentsTest, FailuresLeaveEverythingAsItWas) {
  // A folder that does not exist: no temporary file can be made there.
  EXPECT_EQ(Replace(dir / "missing" / "a.txt", kHead, kBody), ReplaceResult::kCannotCreate);
  EXPECT_NE(error, 0u);
  EXPECT_FALSE(fs::exists(dir / "missing"));

  // A folder in place of the file stays a folder with its content.
  fs::create_directory(dir / "sub");
  WriteBytes(dir / "sub" / "inner.txt", kOld);
  EXPECT_NE(Replace(dir / "sub", kHead, kBody), ReplaceResult::kOk);
  EXPECT_TRUE(fs::is_directory(dir / "sub"));
  EXPECT_EQ(ReadBytes(dir / "sub" / "inner.txt"), kOld);
  EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"sub"});
}

TEST_F(ReplaceFileContentsTest, SymbolicLinkKeepsPointingAtTheChangedFile) {
  WriteBytes(dir / "real.txt", kOld);
#ifdef _WIN32
  // The C++ library of the Windows build has no create_symlink.
  // Some Windows layers report success without making the link.
  CreateSymbolicLinkW((dir / "link.txt").c_str(), (dir / "real.txt").c_str(),
                      SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  DWORD attributes = GetFileAttributesW((dir / "link.txt").c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    GTEST_SKIP() << "no symbolic links here";
  }
#else
  std::error_code linkError;
  fs::create_symlink(dir / "real.txt", dir / "link.txt", linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links here: " << linkError.message();
#endif

  ASSERT_EQ(Replace(dir / "link.txt", kHead, kBody), ReplaceResult::kOk);
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadBytes(dir / "real.txt"), kHead + kBody);
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"link.txt", "real.txt"}));
}

TEST_F(ReplaceFileContentsTest, HardLinksStillShareTheFile) {
  WriteBytes(dir / "a.txt", kOld);
  std::error_code linkError;
  fs::create_hard_link(dir / "a.txt", dir / "b.txt", linkError);
  if (linkError) GTEST_SKIP() << "no hard links here: " << linkError.message();

  ASSERT_EQ(Replace(dir / "a.txt", kHead, kBody), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kHead + kBody);
  EXPECT_EQ(ReadBytes(dir / "b.txt"), kHead + kBody);
  ASSERT_EQ(Replace(dir / "b.txt", "", "short"), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "short");
  // The copy of the old content is gone once the rewrite is done.
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt", "b.txt"}));
}

TEST_F(ReplaceFileContentsTest, LeftCopyOfTheOldContentStopsTheRewrite) {
  WriteBytes(dir / "a.txt", kOld);
  std::error_code linkError;
  fs::create_hard_link(dir / "a.txt", dir / "b.txt", linkError);
  if (linkError) GTEST_SKIP() << "no hard links here: " << linkError.message();
  // What a killed run leaves: the only copy of content from before it.
  WriteBytes(dir / "a.txt.~qlkeep", "content from before the killed run");

  NativePath where;
  EXPECT_EQ(RealFileSystem().ReplaceFileContents(ToNative(dir / "a.txt"), kHead, kBody, &error,
                                                 &where),
            ReplaceResult::kKeepCopyExists);
  EXPECT_EQ(fs::path(where), dir / "a.txt.~qlkeep");
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kOld);
  EXPECT_EQ(ReadBytes(dir / "a.txt.~qlkeep"), "content from before the killed run");
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt", "a.txt.~qlkeep", "b.txt"}));

  // The other name has a copy name of its own and is rewritten.
  ASSERT_EQ(Replace(dir / "b.txt", "", "new"), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "new");
  EXPECT_EQ(ReadBytes(dir / "a.txt.~qlkeep"), "content from before the killed run");
}

TEST_F(ReplaceFileContentsTest, LongestNamesAreWrittenAndCopied) {
  // The work files beside a target have short names of their own.
  const std::string longest = std::string(251, 'n') + ".txt";
  WriteBytes(dir / longest, kOld);
  ASSERT_EQ(Replace(dir / longest, kHead, kBody), ReplaceResult::kOk) << "error " << error;
  EXPECT_EQ(ReadBytes(dir / longest), kHead + kBody);

  const std::string backup = std::string(251, 'b') + ".bak";
  ASSERT_TRUE(RealFileSystem().CopyFileReplacing(ToNative(dir / longest), ToNative(dir / backup),
                                                 &error))
      << "error " << error;
  EXPECT_EQ(ReadBytes(dir / backup), kHead + kBody);

  std::error_code linkError;
  fs::create_hard_link(dir / longest, dir / "link.txt", linkError);
  if (!linkError) {
    ASSERT_EQ(Replace(dir / longest, "", "linked"), ReplaceResult::kOk) << "error " << error;
    EXPECT_EQ(ReadBytes(dir / "link.txt"), "linked");
  }
  EXPECT_EQ(NamesIn(dir.path()).size(), linkError ? 2u : 3u) << "no work file is left";
}

TEST_F(ReplaceFileContentsTest, FolderWithoutAWorkFileIsNamed) {
  NativePath where;
  EXPECT_EQ(RealFileSystem().ReplaceFileContents(ToNative(dir / "missing" / "a.txt"), kHead,
                                                 kBody, &error, &where),
            ReplaceResult::kCannotCreate);
  EXPECT_NE(error, 0u);
  EXPECT_EQ(fs::path(where), dir / "missing");

  // A refusal of the file itself names no folder.
  WriteBytes(dir / "a.txt", kOld);
  MakeReadOnly(dir / "a.txt");
  EXPECT_EQ(RealFileSystem().ReplaceFileContents(ToNative(dir / "a.txt"), kHead, kBody, &error,
                                                 &where),
            ReplaceResult::kCannotCreate);
  EXPECT_TRUE(where.empty());
}

#ifdef _WIN32
TEST_F(ReplaceFileContentsTest, FileHeldByAnotherHandleIsRefused) {
  WriteBytes(dir / "a.txt", kOld);
  HANDLE held = CreateFileW((dir / "a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Replace(dir / "a.txt", kHead, kBody), ReplaceResult::kCannotCreate);
  EXPECT_EQ(error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kOld);
  EXPECT_EQ(NamesIn(dir.path()), std::set<std::string>{"a.txt"});
}
#else
TEST_F(ReplaceFileContentsTest, PermissionsAreKept) {
  WriteBytes(dir / "a.txt", kOld);
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(dir / "a.txt", mode);
  ASSERT_EQ(Replace(dir / "a.txt", kHead, kBody), ReplaceResult::kOk);
  EXPECT_EQ(fs::status(dir / "a.txt").permissions(), mode);
}

TEST_F(ReplaceFileContentsTest, OwnerAndGroupAreKept) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  WriteBytes(dir / "a.txt", kOld);
  ASSERT_EQ(chown((dir / "a.txt").c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod((dir / "a.txt").c_str(), 02664), 0);
  ASSERT_EQ(Replace(dir / "a.txt", kHead, kBody), ReplaceResult::kOk);
  struct stat st;
  ASSERT_EQ(stat((dir / "a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 02664u) << "the set-group bit survives the change of owner";
}

// Writes past a file size limit fail (EFBIG) on any file system: a stand-in for a full
// disk that fails part way.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }

 private:
  struct rlimit saved_;
  sighandler_t previous_;
};

TEST_F(ReplaceFileContentsTest, NoRoomLeavesTheFileAsItWasAndNoWorkFile) {
  const std::string large(64 * 1024, 'L');
  WriteBytes(dir / "single.txt", kOld);
  WriteBytes(dir / "linked.txt", kOld);
  WriteBytes(dir / "big.txt", large);
  fs::create_hard_link(dir / "linked.txt", dir / "linked2.txt");
  fs::create_hard_link(dir / "big.txt", dir / "big2.txt");
  const std::set<std::string> before = NamesIn(dir.path());
  {
    FileSizeLimit limit(16 * 1024);
    // The new content does not fit: the temporary file's write fails.
    EXPECT_EQ(Replace(dir / "single.txt", kHead, large), ReplaceResult::kWriteFailed);
    EXPECT_EQ(error, static_cast<uint32_t>(EFBIG));
    // A linked file: the reservation fails before anything is overwritten.
    EXPECT_EQ(Replace(dir / "linked.txt", kHead, large), ReplaceResult::kWriteFailed);
    EXPECT_EQ(error, static_cast<uint32_t>(EFBIG));
    // The copy of the old content itself does not fit.
    EXPECT_EQ(Replace(dir / "big.txt", "", "small"), ReplaceResult::kWriteFailed);
  }
  EXPECT_EQ(ReadBytes(dir / "single.txt"), kOld);
  EXPECT_EQ(ReadBytes(dir / "linked2.txt"), kOld);
  EXPECT_EQ(ReadBytes(dir / "big2.txt"), large);
  EXPECT_EQ(NamesIn(dir.path()), before);
}
#endif

TEST(ReadWholeFileTest, ReadsEveryByteIntoOneAllocation) {
  TempDir dir;
  const std::string content = kHead + kBody;
  WriteBytes(dir / "a.txt", content);
  std::string bytes = "left over";
  uint64_t askedFor = 0;
  auto capacityFor = [&](uint64_t size) {
    askedFor = size;
    return size * 2 + 16;
  };
  ASSERT_EQ(RealFileSystem().ReadWholeFile(ToNative(dir / "a.txt"), &bytes, capacityFor),
            ReadFileResult::kOk);
  EXPECT_EQ(askedFor, content.size());
  EXPECT_EQ(bytes, content);
  EXPECT_GE(bytes.capacity(), content.size() * 2 + 16);

  WriteBytes(dir / "empty.txt", "");
  ASSERT_EQ(RealFileSystem().ReadWholeFile(ToNative(dir / "empty.txt"), &bytes, capacityFor),
            ReadFileResult::kOk);
  EXPECT_TRUE(bytes.empty());
}

TEST(ReadWholeFileTest, ReportsWhatWentWrong) {
  TempDir dir;
  std::string bytes;
  auto same = [](uint64_t size) { return size; };
  EXPECT_EQ(RealFileSystem().ReadWholeFile(ToNative(dir / "missing.txt"), &bytes, same),
            ReadFileResult::kCannotOpen);

  // A buffer that cannot be had is "too large", not a crash.
  WriteBytes(dir / "a.txt", kOld);
  auto huge = [](uint64_t) { return std::numeric_limits<uint64_t>::max(); };
  EXPECT_EQ(RealFileSystem().ReadWholeFile(ToNative(dir / "a.txt"), &bytes, huge),
            ReadFileResult::kTooLarge);
}

TEST(ReadFileInPiecesTest, HandsOnEveryByteInOrderAndStopsWhenAsked) {
  TempDir dir;
  std::string content;
  for (int i = 0; content.size() < 1000; ++i) content += std::to_string(i) + ",";
  WriteBytes(dir / "a.txt", content);
  uint64_t told = 0;
  std::string joined;
  std::vector<size_t> lengths;
  auto begin = [&](uint64_t size) {
    told = size;
    return true;
  };
  auto take = [&](char* piece, size_t length) {
    joined.append(piece, length);
    lengths.push_back(length);
    return true;
  };
  ASSERT_EQ(RealFileSystem().ReadFileInPieces(ToNative(dir / "a.txt"), 64, begin, take),
            ReadFileResult::kOk);
  EXPECT_EQ(told, content.size());
  EXPECT_EQ(joined, content);
  ASSERT_EQ(lengths.size(), (content.size() + 63) / 64);
  for (size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], 64u) << i;

  // Answering false ends the read, which still succeeded.
  int pieces = 0;
  auto firstOnly = [&](char*, size_t) { return ++pieces < 1; };
  EXPECT_EQ(RealFileSystem().ReadFileInPieces(ToNative(dir / "a.txt"), 64, begin, firstOnly),
            ReadFileResult::kOk);
  EXPECT_EQ(pieces, 1);

  // An empty file is begun but has no pieces.
  WriteBytes(dir / "empty.txt", "");
  told = 99;
  pieces = 0;
  EXPECT_EQ(RealFileSystem().ReadFileInPieces(ToNative(dir / "empty.txt"), 64, begin, firstOnly),
            ReadFileResult::kOk);
  EXPECT_EQ(told, 0u);
  EXPECT_EQ(pieces, 0);
}

TEST(ReadFileInPiecesTest, ReportsWhatWentWrong) {
  TempDir dir;
  auto yes = [](uint64_t) { return true; };
  int pieces = 0;
  auto take = [&](char*, size_t) { return ++pieces > 0; };
  EXPECT_EQ(RealFileSystem().ReadFileInPieces(ToNative(dir / "missing.txt"), 64, yes, take),
            ReadFileResult::kCannotOpen);
  WriteBytes(dir / "a.txt", kOld);
  auto no = [](uint64_t) { return false; };
  EXPECT_EQ(RealFileSystem().ReadFileInPieces(ToNative(dir / "a.txt"), 64, no, take),
            ReadFileResult::kTooLarge);
  EXPECT_EQ(pieces, 0) << "nothing handed on after begin declined";
}

TEST(CopyFileReplacingTest, ReplacesAWritableCopyButNotAReadOnlyOne) {
  TempDir dir;
  WriteBytes(dir / "from.txt", kBody);
  WriteBytes(dir / "to.txt", kOld);
  uint32_t error = 0;
  ASSERT_TRUE(RealFileSystem().CopyFileReplacing(ToNative(dir / "from.txt"),
                                                 ToNative(dir / "to.txt"), &error));
  EXPECT_EQ(ReadBytes(dir / "to.txt"), kBody);

  WriteBytes(dir / "locked.txt", kOld);
  MakeReadOnly(dir / "locked.txt");
  EXPECT_FALSE(RealFileSystem().CopyFileReplacing(ToNative(dir / "from.txt"),
                                                  ToNative(dir / "locked.txt"), &error));
  EXPECT_NE(error, 0u);
  EXPECT_EQ(ReadBytes(dir / "locked.txt"), kOld);

  error = 0;
  EXPECT_FALSE(RealFileSystem().CopyFileReplacing(ToNative(dir / "missing.txt"),
                                                  ToNative(dir / "new.txt"), &error));
  EXPECT_NE(error, 0u);
  EXPECT_FALSE(fs::exists(dir / "new.txt"));
}

TEST(FileTimesTest, TimesOfOneFileCanBePutOnAnother) {
  TempDir dir;
  WriteBytes(dir / "old.txt", "old");
  WriteBytes(dir / "new.txt", "new");
  const auto oldTime = fs::last_write_time(dir / "old.txt") - std::chrono::hours(24 * 400);
  fs::last_write_time(dir / "old.txt", oldTime);

  FileTimes times;
  ASSERT_TRUE(RealFileSystem().GetFileTimes(ToNative(dir / "old.txt"), &times));
  ASSERT_EQ(RealFileSystem().SetFileTimes(ToNative(dir / "new.txt"), times), SetTimesResult::kOk);
  EXPECT_EQ(fs::last_write_time(dir / "new.txt"), fs::last_write_time(dir / "old.txt"));

  FileTimes copied;
  ASSERT_TRUE(RealFileSystem().GetFileTimes(ToNative(dir / "new.txt"), &copied));
  EXPECT_EQ(copied.lastWrite, times.lastWrite);
  EXPECT_EQ(copied.hasCreation, times.hasCreation);
  if (times.hasCreation) {
    EXPECT_EQ(copied.creation, times.creation);
  }
  EXPECT_EQ(ReadBytes(dir / "new.txt"), "new");
}

TEST(FileTimesTest, MissingFileIsReported) {
  TempDir dir;
  FileTimes times;
  EXPECT_FALSE(RealFileSystem().GetFileTimes(ToNative(dir / "missing.txt"), &times));
  EXPECT_EQ(RealFileSystem().SetFileTimes(ToNative(dir / "missing.txt"), times),
            SetTimesResult::kCannotOpen);
  EXPECT_FALSE(fs::exists(dir / "missing.txt"));
}

}  // namespace

namespace {

class ContentReplacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RealFileSystem().WritesInPieces()) GTEST_SKIP() << "files are written whole here";
  }
  // Writes the pieces and commits them.
  ReplaceResult WriteInPieces(const fs::path& path, const std::vector<std::string>& pieces) {
    std::unique_ptr<ContentReplacement> replacement =
        RealFileSystem().BeginReplacement(ToNative(path));
    if (!replacement) return ReplaceResult::kCannotCreate;
    for (const std::string& piece : pieces) replacement->Write(piece);
    uint32_t error = 0;
    return replacement->Commit(&error, nullptr);
  }
  TempDir dir;
};

}  // namespace

TEST_F(ContentReplacementTest, PiecesTakeTheFilesPlaceOnlyOnCommit) {
  WriteBytes(dir / "a.txt", kOld);
  {
    std::unique_ptr<ContentReplacement> replacement =
        RealFileSystem().BeginReplacement(ToNative(dir / "a.txt"));
    ASSERT_NE(replacement, nullptr);
    replacement->Write(kHead);
    replacement->Write(kBody);
    EXPECT_EQ(ReadBytes(dir / "a.txt"), kOld) << "untouched until the commit";
    EXPECT_EQ(NamesIn(dir.path()).size(), 2u) << "a work file beside it";
  }
  // Given up: the work file goes, the file stays.
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kOld);
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt"}));

  ASSERT_EQ(WriteInPieces(dir / "a.txt", {kHead, kBody, "", "end"}), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kHead + kBody + "end");
  ASSERT_EQ(WriteInPieces(dir / "a.txt", {}), ReplaceResult::kOk);
  EXPECT_EQ(fs::file_size(dir / "a.txt"), 0u);
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt"}));
}

TEST_F(ContentReplacementTest, LargeContentSentOnItsWayAsItIsWritten) {
  // Past a megabyte the work file is set on its way to the disk as it grows: what is
  // written, given up or committed stays exactly so, through a rename or a link.
  std::vector<std::string> pieces;
  for (char fill : {'a', 'b', 'c', 'd', 'e'}) pieces.push_back(std::string(700000, fill));
  std::string whole;
  for (const std::string& piece : pieces) whole += piece;
  WriteBytes(dir / "a.txt", kOld);
  {
    std::unique_ptr<ContentReplacement> replacement =
        RealFileSystem().BeginReplacement(ToNative(dir / "a.txt"));
    ASSERT_NE(replacement, nullptr);
    for (const std::string& piece : pieces) replacement->Write(piece);
  }
  EXPECT_EQ(ReadBytes(dir / "a.txt"), kOld);
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt"}));
  ASSERT_EQ(WriteInPieces(dir / "a.txt", pieces), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), whole);

  std::error_code linkError;
  fs::create_hard_link(dir / "a.txt", dir / "b.txt", linkError);
  if (linkError) GTEST_SKIP() << "no hard links here: " << linkError.message();
  if (!RealFileSystem().BeginReplacement(ToNative(dir / "b.txt"))) {
    GTEST_SKIP() << "a file with several links is rewritten whole here";
  }
  std::reverse(pieces.begin(), pieces.end());
  ASSERT_EQ(WriteInPieces(dir / "b.txt", pieces), ReplaceResult::kOk);
  std::reverse(whole.begin(), whole.end());
  EXPECT_EQ(ReadBytes(dir / "a.txt"), whole);
}

TEST_F(ContentReplacementTest, LinksAndModesAreKept) {
  WriteBytes(dir / "a.txt", kOld);
  fs::permissions(dir / "a.txt", fs::perms::owner_read | fs::perms::owner_write |
                                     fs::perms::group_read);
  const fs::perms mode = fs::status(dir / "a.txt").permissions();
  ASSERT_EQ(WriteInPieces(dir / "a.txt", {"x"}), ReplaceResult::kOk);
  EXPECT_EQ(fs::status(dir / "a.txt").permissions(), mode);

  std::error_code linkError;
  fs::create_hard_link(dir / "a.txt", dir / "b.txt", linkError);
  if (linkError) GTEST_SKIP() << "no hard links here: " << linkError.message();
  if (!RealFileSystem().BeginReplacement(ToNative(dir / "a.txt"))) {
    GTEST_SKIP() << "a file with several links is rewritten whole here";
  }
  ASSERT_EQ(WriteInPieces(dir / "a.txt", {kHead, kBody}), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "b.txt"), kHead + kBody);
  ASSERT_EQ(WriteInPieces(dir / "b.txt", {"sh", "ort"}), ReplaceResult::kOk);
  EXPECT_EQ(ReadBytes(dir / "a.txt"), "short") << "no old tail is kept";
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt", "b.txt"}));

  fs::create_symlink(dir / "a.txt", dir / "link.txt", linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links here: " << linkError.message();
  ASSERT_EQ(WriteInPieces(dir / "link.txt", {"through the link"}), ReplaceResult::kOk);
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadBytes(dir / "b.txt"), "through the link");
}

TEST_F(ContentReplacementTest, FilesThatCannotBeReplacedAreLeftToTheWholeWriter) {
  WriteBytes(dir / "a.txt", kOld);
  MakeReadOnly(dir / "a.txt");
  EXPECT_EQ(RealFileSystem().BeginReplacement(ToNative(dir / "a.txt")), nullptr);
  EXPECT_EQ(RealFileSystem().BeginReplacement(ToNative(dir / "missing.txt")), nullptr);
  EXPECT_EQ(RealFileSystem().BeginReplacement(ToNative(dir.path())), nullptr);
  EXPECT_EQ(NamesIn(dir.path()), (std::set<std::string>{"a.txt"}));
}
