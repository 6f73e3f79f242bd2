// The files the program itself makes beside a target while it writes it, and how they are
// named, so that a run never takes them for targets and a later run can tidy up after one
// that was killed.
//
//   .~ql<pid>-<n>.tmp   the new content, written completely and then renamed over the
//                       target; <pid> is the writing process, so a file whose writer no
//                       longer runs is known to be left over.
//   <name>.~qlkeep      a copy of the old content of <name>, made before a file with
//                       several hard links is rewritten where it is and removed after.
//                       Left behind when the program was killed meanwhile, or when the
//                       file could not be put back after a failed write: once the rewrite
//                       has begun it holds the file's complete content from before the run
//                       (a kill while the copy itself was written leaves it short, beside
//                       the untouched file). A name too long for the suffix is shortened
//                       first.
#pragma once

#include <cstdint>

#include "platform/native_path.h"

// The name of a temporary file for the process pid, the counter'th of its run.
NativePath TemporaryFileName(uint32_t pid, uint32_t counter);

// True when name has the form of a temporary file of this program; *pid (when given) is
// then the process that made it.
bool IsTemporaryFileName(const NativePath& name, uint32_t* pid = nullptr);

// The name of the keep copy of the file name (a bare name, without folder): the name with
// ".~qlkeep" appended, shortened where needed so that the whole stays within maxLength
// units (bytes on POSIX systems, UTF-16 units on Windows) without cutting a character.
NativePath KeepCopyName(const NativePath& name, size_t maxLength = 255);

// True when name has the form of a keep copy.
bool IsKeepCopyName(const NativePath& name);

// True for a temporary file or a keep copy: never a target of a run.
inline bool IsWorkFileName(const NativePath& name) {
  return IsTemporaryFileName(name) || IsKeepCopyName(name);
}

// True for a temporary file whose writer no longer runs, so that it was left behind by a
// run that was killed; never for one of this process's own.
bool IsLeftoverTemporary(const NativePath& name);

// This process, and whether the process pid still runs (true when that cannot be told).
uint32_t CurrentProcessId();
bool ProcessIsRunning(uint32_t pid);
