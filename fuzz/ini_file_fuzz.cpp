// Reads every settings key from a fuzzed INI file, then writes one key and checks that
//   - a value holding a line break is refused and the file is left as it was;
//   - any other value is stored: it reads back as written (when reading would not trim
//     or unquote it anyway), and every other key reads as it did before.
//
// Input: byte 0 picks the key, byte 1 the length of the value, which is taken from the
// input's end (UTF-8); the bytes between are the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/scratch_folder.h"
#include "settings/ini_file.h"
#include "settings/settings_file_text.h"
#include "settings/settings_keys.h"

namespace {

constexpr char16_t kSection[] = u"Main";
constexpr char16_t kMissing[] = u"\x01missing";

void Fail(const char* what) {
  fprintf(stderr, "ini_file_fuzz: %s\n", what);
  abort();
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What reading gives back for a value written as it stands.
bool ReadsBackAsWritten(std::u16string_view value) {
  if (value.size() > kProfileTextLimit) return false;
  if (TrimAsciiSpace(value) != value) return false;
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == u'"' || value.front() == u'\'')) {
    return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const SettingKey& key = kSettingKeys[data[0] % kSettingCount];
  const size_t valueLength = std::min<size_t>(data[1] % 48, size - 2);
  const std::string path = ScratchFolder() + "/quillon.ini";
  WriteScratchFile(path, data + 2, size - 2 - valueLength);
  const WideText value = WideFromUtf8(
      std::string_view(reinterpret_cast<const char*>(data) + size - valueLength, valueLength));

  WideText before[kSettingCount];
  for (int i = 0; i < kSettingCount; ++i) {
    before[i] = ReadIniString(path, kSection, kSettingKeys[i].name, kMissing);
    (void)ReadIniInt(path, kSection, kSettingKeys[i].name, -1);
  }

  const std::string bytesBefore = FileBytes(path);
  const bool stored = WriteIniString(path, kSection, key.name, value);
  if (HasLineBreak(value)) {
    if (stored || FileBytes(path) != bytesBefore) Fail("a line break was written");
    return 0;
  }
  if (!stored) Fail("a value was refused");
  for (int i = 0; i < kSettingCount; ++i) {
    const WideText now = ReadIniString(path, kSection, kSettingKeys[i].name, kMissing);
    if (kSettingKeys[i].name == key.name) {
      if (ReadsBackAsWritten(value) && now != value) Fail("the value reads back otherwise");
    } else if (now != before[i]) {
      Fail("another key changed");
    }
  }
  return 0;
}
