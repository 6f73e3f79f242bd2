// Reads every settings value from a fuzzed .reg file through the registry functions,
// then sets one value and checks that
//   - the key can be created in any file that can be read;
//   - the value reads back with the type and bytes it was set to;
//   - every other value reads as it did before.
//
// Input: byte 0 picks the value's name, byte 1 its type and length; the value's bytes
// are taken from the input's end, and the bytes between are the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_folder.h"
#include "settings/registry.h"
#include "settings/settings_keys.h"

namespace {

struct Stored {
  int32_t result = 0;
  uint32_t type = 0;
  std::string bytes;
  bool operator==(const Stored&) const = default;
};

void Fail(const char* what) {
  fprintf(stderr, "registry_fuzz: %s\n", what);
  abort();
}

Stored Query(RegistryKey key, std::u16string_view name) {
  Stored stored;
  uint32_t size = 0;
  stored.result = RegistryQueryValue(key, name, &stored.type, nullptr, &size);
  if (stored.result != kRegOk) return stored;
  if (size > 0) {
    // One byte short first: the answer must be "more data" and the size needed.
    std::string shortBuffer(size - 1, '\0');
    uint32_t room = size - 1;
    if (RegistryQueryValue(key, name, nullptr, shortBuffer.data(), &room) != kRegMoreData ||
        room != size) {
      Fail("a short buffer was not refused");
    }
  }
  stored.bytes.resize(size);
  uint32_t room = size;
  stored.result = RegistryQueryValue(key, name, &stored.type, stored.bytes.data(), &room);
  if (stored.result == kRegOk && room != size) Fail("the size changed between two queries");
  return stored;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("XDG_CONFIG_HOME", ScratchFolder().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const char16_t* name = kSettingKeys[data[0] % kSettingCount].name;
  static constexpr uint32_t kTypes[] = {kRegSz, kRegDword, kRegBinary, kRegExpandSz,
                                        kRegMultiSz, kRegQword, kRegNone, 0x20};
  const uint32_t type = kTypes[data[1] % 8];
  const size_t valueLength =
      std::min<size_t>(type == kRegDword ? 4 : type == kRegQword ? 8 : data[1] / 8, size - 2);
  WriteScratchFile(RegistryHivePath(), data + 2, size - 2 - valueLength);
  const std::string value(reinterpret_cast<const char*>(data) + size - valueLength, valueLength);

  Stored before[kSettingCount];
  RegistryKey key = nullptr;
  if (RegistryOpenSettingsKey(RegistryAccess::kRead, &key) == kRegOk) {
    for (int i = 0; i < kSettingCount; ++i) before[i] = Query(key, kSettingKeys[i].name);
    if (RegistrySetValue(key, name, type, value) != kRegAccessDenied) {
      Fail("a read-only key was written");
    }
    RegistryCloseKey(key);
  } else {
    for (Stored& stored : before) stored.result = kRegFileNotFound;
  }

  if (RegistryCreateSettingsKey(&key) != kRegOk) Fail("the key could not be created");
  if (RegistrySetValue(key, name, type, value) != kRegOk) Fail("the value could not be set");
  for (int i = 0; i < kSettingCount; ++i) {
    const Stored now = Query(key, kSettingKeys[i].name);
    if (kSettingKeys[i].name == name) {
      if (now.result != kRegOk || now.type != type || now.bytes != value) {
        Fail("the value reads back otherwise");
      }
    } else if (!(now == before[i])) {
      Fail("another value changed");
    }
  }
  RegistryCloseKey(key);
  return 0;
}
