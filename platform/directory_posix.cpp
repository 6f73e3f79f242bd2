#include "platform/directory.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/wildcard.h"

namespace {

bool IsFolder(const char* name, unsigned char type) {
  if (type == DT_DIR) return true;
  if (type != DT_LNK && type != DT_UNKNOWN) return false;
  struct stat st;
  return stat(name, &st) == 0 && S_ISDIR(st.st_mode);
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

}  // namespace

bool ListCurrentDirectory(const NativePath& pattern, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  if (!HasWildcards(pattern)) {
    // A plain name is looked up directly, so a huge folder is not read for one file.
    struct stat st;
    if (!pattern.empty() && stat(pattern.c_str(), &st) == 0) {
      entries->push_back({pattern, S_ISDIR(st.st_mode)});
      return true;
    }
  }
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("."), closedir);
  if (!dir) return false;
  while (dirent* entry = readdir(dir.get())) {
    if (!MatchesWildcard(entry->d_name, pattern)) continue;
    entries->push_back({entry->d_name, IsFolder(entry->d_name, entry->d_type)});
  }
  std::sort(entries->begin(), entries->end(), NameLess);
  return !entries->empty();
}

bool GetCurrentFolder(NativePath* path) {
  std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
  if (!cwd) return false;
  *path = cwd.get();
  return true;
}

bool SetCurrentFolder(const NativePath& path) { return chdir(path.c_str()) == 0; }

bool GetFolderIdentity(const NativePath& path, std::string* identity) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  return true;
}

bool GetExecutablePath(NativePath* path) {
  std::string buffer(PATH_MAX, '\0');
  ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return false;
  buffer.resize(static_cast<size_t>(n));
  *path = buffer;
  return true;
}
