#include "settings/registry.h"

#include <windows.h>

namespace {

HKEY H(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

std::wstring W(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

int32_t RegistryOpenSettingsKey(RegistryAccess access, RegistryKey* key) {
  HKEY handle = nullptr;
  LONG result = RegOpenKeyExW(HKEY_CURRENT_USER, W(kSettingsKeyPath).c_str(), 0,
                              access == RegistryAccess::kRead ? KEY_READ : KEY_ALL_ACCESS,
                              &handle);
  *key = result == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(handle) : nullptr;
  return result;
}

int32_t RegistryCreateSettingsKey(RegistryKey* key) {
  HKEY handle = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, W(kSettingsKeyPath).c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &handle,
                                &disposition);
  *key = result == ERROR_SUCCESS ? reinterpret_cast<RegistryKey>(handle) : nullptr;
  return result;
}

int32_t RegistryQueryValue(RegistryKey key, std::u16string_view name, uint32_t* type,
                           void* data, uint32_t* size) {
  DWORD valueType = 0;
  DWORD valueSize = *size;
  LONG result = RegQueryValueExW(H(key), W(name).c_str(), nullptr, &valueType,
                                 static_cast<BYTE*>(data), &valueSize);
  if (type) *type = valueType;
  *size = valueSize;
  return result;
}

int32_t RegistrySetValue(RegistryKey key, std::u16string_view name, uint32_t type,
                         std::string_view bytes) {
  return RegSetValueExW(H(key), W(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

int32_t RegistrySetValueNarrow(RegistryKey key, std::string_view name, uint32_t type,
                               std::string_view bytes) {
  return RegSetValueExA(H(key), std::string(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size()));
}

int32_t RegistryCloseKey(RegistryKey key) { return RegCloseKey(H(key)); }

// The system's registry writes each value itself: there is nothing to hold back.
RegistryBatch::RegistryBatch() = default;
RegistryBatch::~RegistryBatch() = default;
int32_t RegistryBatch::Finish() { return kRegOk; }
