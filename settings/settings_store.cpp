#include "settings/settings_store.h"

#include <string>

#include "core/process_flags.h"
#include "settings/ansi_text.h"
#include "settings/ini_file.h"
#include "settings/rega.h"
#include "settings/regw.h"

namespace {

constexpr char16_t kSection[] = u"Main";
constexpr char kNarrowSection[] = "Main";

NativePath& IniPathStorage() {
  static NativePath path = DefaultIniFilePath();
  return path;
}

// White space the profile functions may strip from the ends of a value.
bool IsEdgeSpace(char16_t c) {
  return c <= 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) ||
         c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// The profile functions strip white space around a value and one pair of matching
// quotes. A text that would lose something that way is stored inside double quotes,
// which the reading takes off again, so it reads back as it was written.
WideText IniValueFor(std::u16string_view text) {
  if (text.empty()) return WideText();
  char16_t first = text.front();
  char16_t last = text.back();
  bool quoted = text.size() >= 2 && first == last && (first == u'"' || first == u'\'');
  if (!quoted && !IsEdgeSpace(first) && !IsEdgeSpace(last)) return WideText(text);
  WideText value;
  value.reserve(text.size() + 2);
  value += u'"';
  value += text;
  value += u'"';
  return value;
}

WideText DecimalPattern(int32_t value) {
  std::string digits = std::to_string(static_cast<uint32_t>(value));
  return WideText(digits.begin(), digits.end());
}

std::string NarrowName(std::u16string_view key) { return Utf8FromWide(key); }  // ASCII names

}  // namespace

void SetIniFilePath(const NativePath& path) { IniPathStorage() = path; }

const NativePath& IniFilePath() { return IniPathStorage(); }

bool EnsureIniFile() { return CreateIniFileIfMissing(IniFilePath()); }

int32_t ReadIntSetting(std::u16string_view key, int32_t defaultValue) {
  if (useIniStore) return ReadIniInt(IniFilePath(), kSection, key, defaultValue);
  REGW reg;
  if (!reg.OpenKey(REGW::kReadOnly)) return defaultValue;
  int32_t value = reg.ReadIntegerW(key, defaultValue);
  reg.CloseKey();
  return value;
}

int32_t ReadIntSettingInRange(std::u16string_view key, int32_t low, int32_t high,
                              int32_t defaultValue) {
  int64_t number = 0;
  if (useIniStore) {
    WideText text = ReadIniString(IniFilePath(), kSection, key, u"");
    if (text.empty()) return defaultValue;
    number = ParseProfileNumberUnwrapped(text);
  } else {
    REGW reg;
    if (!reg.OpenKey(REGW::kReadOnly)) return defaultValue;
    bool found = reg.ReadNumberW(key, &number);
    reg.CloseKey();
    if (!found) return defaultValue;
  }
  return number >= low && number <= high ? static_cast<int32_t>(number) : defaultValue;
}

WideText ReadTextSetting(std::u16string_view key) {
  if (useIniStore) return ReadIniString(IniFilePath(), kSection, key, u"");
  WideText text;
  REGW reg;
  if (!reg.OpenKey(REGW::kReadOnly)) return text;
  reg.ReadStringW(key, &text);
  reg.CloseKey();
  return text;
}

bool WriteIntSetting(std::u16string_view key, int32_t value) {
  if (useIniStore) return WriteIniString(IniFilePath(), kSection, key, DecimalPattern(value));
  REGW reg;
  if (!reg.OpenKey(REGW::kCreate)) return false;
  bool written = reg.WriteIntegerW(key, value);
  return reg.CloseKey() && written;
}

bool WriteTextSetting(std::u16string_view key, std::u16string_view text) {
  if (useIniStore) return WriteIniString(IniFilePath(), kSection, key, IniValueFor(text));
  REGW reg;
  if (!reg.OpenKey(REGW::kCreate)) return false;
  bool written = reg.WriteStringW(key, text);
  return reg.CloseKey() && written;
}

bool WriteIntSettingNarrow(std::u16string_view key, int32_t value) {
  if (useIniStore) {
    return WriteIniStringNarrow(IniFilePath(), kNarrowSection, NarrowName(key),
                                    Utf8FromWide(DecimalPattern(value)));
  }
  REGA reg;
  if (!reg.OpenKey()) return false;
  bool written = reg.WriteIntegerA(NarrowName(key), value);
  return reg.CloseKey() && written;
}

bool WriteTextSettingNarrow(std::u16string_view key, std::u16string_view text) {
  // A character without an exact counterpart in the ANSI code page would be stored as
  // "?" or a look-alike, which in a target path is a wildcard or another file; such a
  // text goes through the wide writers instead.
  std::string ansi;
  if (useIniStore) {
    WideText value = IniValueFor(text);
    if (!AnsiFromWideExactly(value, &ansi)) return WriteTextSetting(key, text);
    return WriteIniStringNarrow(IniFilePath(), kNarrowSection, NarrowName(key), ansi);
  }
  if (!AnsiFromWideExactly(text, &ansi)) return WriteTextSetting(key, text);
  REGA reg;
  if (!reg.OpenKey()) return false;
  bool written = reg.WriteStringA(NarrowName(key), ansi);
  return reg.CloseKey() && written;
}

bool ActiveStoreReadable(StoreProblem* problem) {
  NativePath path;
  if (useIniStore) {
    path = IniFilePath();
  } else if (!RegistryStoreFile(&path)) {
    return true;
  }
  uint32_t error = 0;
  StoreFileState state = ProbeStoreFile(path, &error);
  if (state == StoreFileState::kReadable || state == StoreFileState::kMissing) return true;
  *problem = StoreProblem{path, state, error};
  return false;
}
