// Private-profile (INI) file access with the behaviour of the Windows profile functions:
// section and key names match without regard to case, values are read with the white
// space around them removed and one pair of matching quotes taken off, and the file is
// kept in UTF-16LE. Windows calls the system; elsewhere the file is read and edited
// here, keeping every line that a write does not change.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/wide_text.h"
#include "platform/native_path.h"

// "quillon.ini" in the current directory, written so that the profile functions do not
// look for it in the system folder.
NativePath DefaultIniFilePath();

// What a read returns at most: a buffer of 8192 units holds 8191 and the terminator.
inline constexpr size_t kProfileTextLimit = 8191;

// The value of key in section, at most kProfileTextLimit units; defaultValue when the
// file, the section or the key is missing.
WideText ReadIniString(const NativePath& path, std::u16string_view section,
                          std::u16string_view key, std::u16string_view defaultValue);

// The number at the start of the value: white space, an optional sign, then decimal
// digits (or hexadecimal after "0x"), taken modulo 2^32 and up to the first other
// character. defaultValue when the key is missing or its value is empty.
int32_t ReadIniInt(const NativePath& path, std::u16string_view section,
                      std::u16string_view key, int32_t defaultValue);

// Sets key in section to text as it stands, creating the file, the section and the key
// as needed. A text holding a line break cannot be stored in a line and is refused.
bool WriteIniString(const NativePath& path, std::u16string_view section,
                        std::u16string_view key, std::u16string_view text);

// The same with narrow (ANSI code page) names and text; the file stays UTF-16LE.
bool WriteIniStringNarrow(const NativePath& path, std::string_view section,
                              std::string_view key, std::string_view ansiText);

// Creates the file as the mark FF FE and one empty line (FF FE 0D 00 0A 00) unless it
// already has content; an existing file is never replaced. True when the file exists
// afterwards; false, without waiting, when a folder, FIFO or device is in its place.
bool CreateIniFileIfMissing(const NativePath& path);

// The numeric reading of a profile value, shared by both platforms' tests and code.
uint32_t ParseProfileNumber(std::u16string_view value);

// The same reading without the wrap-around: a number beyond 32 bits stays beyond them
// (held at 2^62 and its negative), so that a huge value cannot pass for a small one.
int64_t ParseProfileNumberUnwrapped(std::u16string_view value);

// True when the text holds a character that would end the value's line.
bool HasLineBreak(std::u16string_view text);

// The same functions under the profile functions' own names. Inline, so that a file
// which includes <windows.h> (whose macros turn these names into GetProfileIntW & co.,
// the WIN.INI functions) still reaches the functions above.
inline WideText GetProfileString(const NativePath& path, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view defaultValue) {
  return ReadIniString(path, section, key, defaultValue);
}
inline int32_t GetProfileInt(const NativePath& path, std::u16string_view section,
                             std::u16string_view key, int32_t defaultValue) {
  return ReadIniInt(path, section, key, defaultValue);
}
inline bool WriteProfileString(const NativePath& path, std::u16string_view section,
                               std::u16string_view key, std::u16string_view text) {
  return WriteIniString(path, section, key, text);
}
