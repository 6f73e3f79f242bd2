// The 26 settings keys in the order both programs handle them.
#pragma once

#include <cstdint>

enum class SettingKind { kText, kFlag, kInteger };

struct SettingKey {
  const char16_t* name;
  SettingKind kind;
  int32_t defaultValue;  // unused for texts (empty)
};

inline constexpr int kSettingCount = 26;
extern const SettingKey kSettingKeys[kSettingCount];
