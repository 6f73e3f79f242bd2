// Folders: the current directory, the entries of a folder, which file a name leads to,
// and the folders a file is to be made in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/native_path.h"

// Which file or folder a name leads to: the same for every name of one file (hard links,
// symbolic links, a folder and a link to it) and different for two files that exist at
// the same time. POSIX: device and inode; Windows: volume serial number and file index.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool known = false;

  bool operator==(const FileIdentity& other) const {
    return known == other.known && volume == other.volume && index == other.index;
  }
};

struct FileIdentityHash {
  size_t operator()(const FileIdentity& identity) const {
    return static_cast<size_t>(identity.index * 0x9E3779B97F4A7C15ull ^ identity.volume);
  }
};

struct DirectoryEntry {
  NativePath name;
  bool isDirectory = false;  // a link to a folder counts as a folder
  bool matches = true;       // the name matches the pattern of the listing
  bool plainFile = false;    // a regular file itself, not a link to one
  FileIdentity identity;     // known where the folder's read told it without opening the file
};

// The entries of the current folder, taken all at once (so files the run creates
// meanwhile are not picked up), in name order:
//  - every entry that is not a folder and whose name matches pattern (matches set);
//  - with withFolders, every subfolder but "." and ".." (matches not set);
//  - every file named like this program's temporary file that the read met, whether the
//    pattern matches it or not (matches tells which), so that leftovers can be removed.
//    A POSIX read meets every name unless pattern is a plain name and no folders are
//    asked for (then the name is only looked up); a Windows read meets the names the
//    pattern matches, and with withFolders every name.
// False when the folder cannot be read or holds none of these.
bool ListCurrentDirectory(const NativePath& pattern, bool withFolders,
                          std::vector<DirectoryEntry>* entries);

// Which file path (relative to the current folder) leads to, following links.
bool IdentifyFile(const NativePath& path, FileIdentity* identity);

// Removes a file the program left behind; a failure is ignored.
void RemoveLeftoverFile(const NativePath& name);

// Makes the folders of an absolute file path that are missing, from the top down; those
// that exist are left as they are. A new folder gets the permission bits mode (less the
// umask) on POSIX, the defaults on Windows. False when one could not be made.
bool MakeParentFolders(const NativePath& filePath, uint32_t mode);

bool GetCurrentFolder(NativePath* path);
bool SetCurrentFolder(const NativePath& path);

// A folder held so that the walk can go into it, and back to it from any depth, without
// its full path: POSIX keeps an open descriptor (the path may be longer than the system
// takes), Windows its full path (its current directory cannot be longer anyway).
// Released when destroyed.
class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // The folder as messages name it: the name it was opened by (POSIX), its full path
  // (Windows).
  const NativePath& path() const { return path_; }

 private:
  friend bool HoldCurrentFolder(HeldFolder* folder);
  friend bool HoldFolder(const NativePath& name, HeldFolder* folder, FileIdentity* identity);
  friend bool GoToHeldFolder(const HeldFolder& folder);
  void Release();

  NativePath path_;
  intptr_t handle_ = -1;  // POSIX: the open descriptor
};

// Holds the current folder.
bool HoldCurrentFolder(HeldFolder* folder);

// Holds the subfolder name of the current folder without entering it, and tells which
// folder it is. Fails when it cannot be opened, also when too many folders are held
// already to leave room for reading and writing files.
bool HoldFolder(const NativePath& name, HeldFolder* folder, FileIdentity* identity);

// Makes folder the current one.
bool GoToHeldFolder(const HeldFolder& folder);

// The full path of the running program.
bool GetExecutablePath(NativePath* path);
