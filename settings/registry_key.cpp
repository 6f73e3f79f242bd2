#include "settings/registry.h"

int32_t RegistryKeyHandle::Open(RegistryAccess access, bool create) {
  if (key_) Close();
  int32_t result = RegistryOpenSettingsKey(access, &key_);
  if (result != kRegOk && create) result = RegistryCreateSettingsKey(&key_);
  if (result != kRegOk) key_ = nullptr;
  return result;
}

int32_t RegistryKeyHandle::Close() {
  if (!key_) return kRegInvalidHandle;
  int32_t result = RegistryCloseKey(key_);
  key_ = nullptr;
  return result;
}
