// The wide-character wrapper around the settings key. One object serves one value's
// access: open, one read or write, close. Misuse (a second open, a close without open,
// access without an open key, an object destroyed with its key open) is guarded and
// reported by a message box without owner. A save that writes many values opens a
// RegistryBatch (settings/registry.h) around them, so that the store's file is written
// once for all of them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/wide_text.h"
#include "settings/registry.h"

class REGW {
 public:
  // OpenKey flags.
  static constexpr uint32_t kCreate = 1;    // create the key when it does not exist
  static constexpr uint32_t kReadOnly = 2;  // open for reading only

  // The language of the guard messages for every REGW: Japanese unless start-up sets
  // English together with the interface language.
  static void SetJapanese(bool japanese);
  static bool Japanese();

  REGW() = default;
  ~REGW();
  REGW(const REGW&) = delete;
  REGW& operator=(const REGW&) = delete;

  bool OpenKey(uint32_t flags);
  bool CloseKey();
  // Sets *buffer to the value's text (up to its first NUL, at most 8191 units). A value
  // that does not fit leaves it empty and fails.
  bool ReadStringW(std::u16string_view name, WideText* buffer);
  int32_t ReadIntegerW(std::u16string_view name, int32_t defaultValue);
  // The value's number without the 32-bit wrap-around (see RegistryNumberFromData);
  // false when the value is missing or stands for no number.
  bool ReadNumberW(std::u16string_view name, int64_t* number);
  bool WriteStringW(std::u16string_view name, std::u16string_view text);
  bool WriteIntegerW(std::u16string_view name, int32_t value);

 private:
  // The value's type and bytes, followed by at least four zeros; false when there is no
  // open key (after the guard's message) or no such value.
  bool QueryData(std::u16string_view name, uint32_t* type, std::vector<unsigned char>* data,
                 uint32_t* size);

  RegistryKeyHandle key_;
};

// The integer a registry value stands for: decimal text in the text types, the first
// four bytes little-endian in REG_DWORD, REG_BINARY and REG_QWORD, four bytes big-endian
// in REG_DWORD_BIG_ENDIAN; defaultValue for anything else. data holds the value's bytes
// followed by at least two zero bytes.
int32_t RegistryIntegerFromData(uint32_t type, const unsigned char* data, size_t size,
                                int32_t defaultValue);

// The same reading without the 32-bit wrap-around: decimal text beyond 32 bits stays
// beyond them (held at 2^62 and its negative), REG_QWORD is taken whole (signed);
// REG_DWORD and the other four-byte readings are signed 32-bit numbers. False for a
// value that stands for no number.
bool RegistryNumberFromData(uint32_t type, const unsigned char* data, size_t size,
                            int64_t* number);
