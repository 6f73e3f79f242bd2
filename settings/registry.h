// The registry key of the program's settings under the current user, with the semantics
// of the Windows registry functions: open (read-only or full access), create, query a
// value's type and bytes, set a value, close. Results are Windows error codes. Windows
// uses the system registry; elsewhere the key lives in one per-user file in the ".reg"
// export format ($XDG_CONFIG_HOME/quillon/registry.reg, default ~/.config).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/native_path.h"

// The key, below HKEY_CURRENT_USER.
inline constexpr char16_t kSettingsKeyPath[] = u"Software\\Orvalent\\quillon\\CurrentVersion";

// Value types, numbered as the registry numbers them.
enum : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegQword = 11,
};

// Results, numbered as the Windows error codes.
enum : int32_t {
  kRegOk = 0,
  kRegFileNotFound = 2,
  kRegAccessDenied = 5,
  kRegInvalidHandle = 6,
  kRegInvalidData = 13,
  kRegMoreData = 234,
  kRegCannotWrite = 1013,  // ERROR_CANTWRITE
};

struct RegistryKeyObject;
using RegistryKey = RegistryKeyObject*;

enum class RegistryAccess { kRead, kFull };

// Opens the existing key; kRegFileNotFound when it does not exist.
int32_t RegistryOpenSettingsKey(RegistryAccess access, RegistryKey* key);

// Opens the key with full access, creating it when missing.
int32_t RegistryCreateSettingsKey(RegistryKey* key);

// Type and bytes of a value. With data null only *type and *size are set; when *size is
// smaller than the value, kRegMoreData with *size the size needed. type may be null.
int32_t RegistryQueryValue(RegistryKey key, std::u16string_view name, uint32_t* type,
                           void* data, uint32_t* size);

// Sets a value to type and bytes as they stand.
int32_t RegistrySetValue(RegistryKey key, std::u16string_view name, uint32_t type,
                         std::string_view bytes);

// The narrow form: name and, for the text types, data in the ANSI code page (the text
// with its terminating NUL); stored as the wide text they stand for.
int32_t RegistrySetValueNarrow(RegistryKey key, std::string_view name, uint32_t type,
                               std::string_view bytes);

int32_t RegistryCloseKey(RegistryKey key);

// An open key that closes itself; REGW and REGA hold theirs in one.
class RegistryKeyHandle {
 public:
  RegistryKeyHandle() = default;
  ~RegistryKeyHandle() { Close(); }
  RegistryKeyHandle(const RegistryKeyHandle&) = delete;
  RegistryKeyHandle& operator=(const RegistryKeyHandle&) = delete;

  // Opens the existing key, or (create) makes it when missing. An open key is closed
  // first.
  int32_t Open(RegistryAccess access, bool create);
  // kRegInvalidHandle when no key is open.
  int32_t Close();
  bool IsOpen() const { return key_ != nullptr; }
  RegistryKey get() const { return key_; }

 private:
  RegistryKey key_ = nullptr;
};

// Outside Windows the store is one file, and a key holds the parsed file while it is
// open: reads come from it, writes change it, and closing the key writes the file when
// a write changed it. While a batch is open, the keys opened share one parsed file that
// stays with the batch when they close, and the batch writes it once, when it finishes
// (or ends). On Windows the system's registry is written by each write; a batch does
// nothing. One batch at a time: a batch begun inside another does nothing either.
class RegistryBatch {
 public:
  RegistryBatch();
  ~RegistryBatch();
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;

  // Writes what the batch's keys changed, once; kRegOk when that succeeded or nothing
  // changed. The batch is over afterwards.
  int32_t Finish();

 private:
  bool active_ = false;
};

#ifndef _WIN32
// The file that stands in for the registry.
NativePath RegistryHivePath();
#endif
