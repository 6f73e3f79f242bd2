#include "platform/directory.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/wildcard.h"
#include "platform/work_files.h"

namespace {

// O_PATH holds a folder we may search but not read (fchdir and fstat work on it), as
// chdir enters one; elsewhere a folder is held open for reading.
#ifdef O_PATH
constexpr int kHoldFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kHoldFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Descriptors kept free while folders are held, for reading a folder and reading and
// writing the files in it.
constexpr long kSpareDescriptors = 32;

FileIdentity IdentityOf(const struct stat& st) {
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), true};
}

// Names in the order an NTFS folder lists them: ASCII letters folded to upper case.
bool NameLess(const DirectoryEntry& a, const DirectoryEntry& b) {
  size_t n = std::min(a.name.size(), b.name.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a.name[i]);
    unsigned char y = static_cast<unsigned char>(b.name[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return x < y;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.name < b.name;
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Fills in what an entry is. A regular file is known by the folder's read alone: its
// inode is the read's and its device the folder's (a file is no mount point). A link is
// followed; a type the read does not tell is looked up.
void Describe(const dirent& found, dev_t folderDevice, bool folderDeviceKnown,
              DirectoryEntry* entry) {
  struct stat st;
  switch (found.d_type) {
    case DT_REG:
      entry->plainFile = true;
      if (folderDeviceKnown && found.d_ino != 0) {
        entry->identity = {static_cast<uint64_t>(folderDevice), static_cast<uint64_t>(found.d_ino),
                           true};
      }
      return;
    case DT_DIR:
      entry->isDirectory = true;
      return;
    case DT_UNKNOWN:
      if (lstat(found.d_name, &st) != 0) return;
      if (!S_ISLNK(st.st_mode)) {
        entry->isDirectory = S_ISDIR(st.st_mode);
        entry->plainFile = S_ISREG(st.st_mode);
        if (!entry->isDirectory) entry->identity = IdentityOf(st);
        return;
      }
      [[fallthrough]];
    case DT_LNK:
      if (stat(found.d_name, &st) != 0) return;
      entry->isDirectory = S_ISDIR(st.st_mode);
      if (!entry->isDirectory) entry->identity = IdentityOf(st);
      return;
    default:
      return;  // a device, pipe or socket: the read of it reports
  }
}

}  // namespace

bool ListCurrentDirectory(const NativePath& pattern, bool withFolders,
                          std::vector<DirectoryEntry>* entries) {
  entries->clear();
  const bool plainName = !HasWildcards(pattern);
  if (plainName) {
    // A plain name is looked up directly, so a huge folder is not read for one file.
    struct stat st;
    if (!pattern.empty() && stat(pattern.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
      DirectoryEntry entry;
      entry.name = pattern;
      entry.identity = IdentityOf(st);
      struct stat own;
      entry.plainFile = lstat(pattern.c_str(), &own) == 0 && S_ISREG(own.st_mode);
      entries->push_back(std::move(entry));
    }
    if (!withFolders) return !entries->empty();
  }
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("."), closedir);
  if (!dir) return !entries->empty();
  struct stat folder;
  const bool folderKnown = fstat(dirfd(dir.get()), &folder) == 0;
  while (dirent* found = readdir(dir.get())) {
    if (IsDotEntry(found->d_name)) continue;
    const bool matches = !plainName && MatchesWildcard(found->d_name, pattern);
    const bool temporary = found->d_name[0] == '.' && found->d_name[1] == '~' &&
                           IsTemporaryFileName(found->d_name);
    const bool maybeFolder =
        found->d_type == DT_DIR || found->d_type == DT_LNK || found->d_type == DT_UNKNOWN;
    if (!matches && !temporary && !(withFolders && maybeFolder)) continue;
    if (plainName && pattern == found->d_name) continue;  // looked up above
    DirectoryEntry entry;
    entry.name = found->d_name;
    entry.matches = matches;
    Describe(*found, folder.st_dev, folderKnown, &entry);
    if (entry.isDirectory ? !withFolders : !matches && !(temporary && entry.plainFile)) continue;
    if (entry.isDirectory) entry.matches = false;
    entries->push_back(std::move(entry));
  }
  std::sort(entries->begin(), entries->end(), NameLess);
  return !entries->empty();
}

bool IdentifyFile(const NativePath& path, FileIdentity* identity) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *identity = IdentityOf(st);
  return true;
}

void RemoveLeftoverFile(const NativePath& name) { unlink(name.c_str()); }

bool MakeParentFolders(const NativePath& filePath, uint32_t mode) {
  for (size_t slash = filePath.find('/', 1); slash != NativePath::npos;
       slash = filePath.find('/', slash + 1)) {
    if (mkdir(filePath.substr(0, slash).c_str(), static_cast<mode_t>(mode)) != 0 &&
        errno != EEXIST) {
      return false;
    }
  }
  return true;
}

bool GetCurrentFolder(NativePath* path) {
  std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
  if (!cwd) return false;
  *path = cwd.get();
  return true;
}

bool SetCurrentFolder(const NativePath& path) { return chdir(path.c_str()) == 0; }

HeldFolder::~HeldFolder() { Release(); }

void HeldFolder::Release() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  handle_ = -1;
  path_.clear();
}

bool HoldCurrentFolder(HeldFolder* folder) {
  FileIdentity identity;
  return HoldFolder(".", folder, &identity);
}

bool HoldFolder(const NativePath& name, HeldFolder* folder, FileIdentity* identity) {
  folder->Release();
  int fd = open(name.c_str(), kHoldFlags);
  if (fd < 0) return false;
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      static_cast<rlim_t>(fd) + kSpareDescriptors >= limit.rlim_cur) {
    close(fd);
    errno = EMFILE;
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
    close(fd);
    return false;
  }
  folder->handle_ = fd;
  folder->path_ = name;
  *identity = IdentityOf(st);
  return true;
}

bool GoToHeldFolder(const HeldFolder& folder) {
  return folder.handle_ >= 0 && fchdir(static_cast<int>(folder.handle_)) == 0;
}

bool GetExecutablePath(NativePath* path) {
  std::string buffer(PATH_MAX, '\0');
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return false;
  buffer.resize(static_cast<size_t>(n));
  *path = buffer;
  return true;
}
