// Folders: the current directory and the entries of a folder.
#pragma once

#include <string>
#include <vector>

#include "platform/native_path.h"

struct DirectoryEntry {
  NativePath name;
  bool isDirectory = false;  // a link to a folder counts as a folder
};

// The entries of the current folder whose names match pattern, taken all at once (so
// files the run creates meanwhile are not picked up), in name order. False when the
// search finds nothing or cannot read the folder.
bool ListCurrentDirectory(const NativePath& pattern, std::vector<DirectoryEntry>* entries);

bool GetCurrentFolder(NativePath* path);
bool SetCurrentFolder(const NativePath& path);

// A text that is the same for two names of one folder (a link and its target).
bool GetFolderIdentity(const NativePath& path, std::string* identity);

// The full path of the running program.
bool GetExecutablePath(NativePath* path);
