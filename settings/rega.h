// The narrow-character wrapper the console front end writes the settings key through.
// Same use and guards as REGW, with its own language switch.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/registry.h"

class REGA {
 public:
  // Japanese unless the front end's start-up chooses English messages.
  static void SetJapanese(bool japanese);
  static bool Japanese();

  REGA() = default;
  ~REGA();
  REGA(const REGA&) = delete;
  REGA& operator=(const REGA&) = delete;

  // Always full access, creating the key when missing.
  bool OpenKey();
  bool CloseKey();
  // name and text in the ANSI code page; text is stored as REG_SZ with its terminator.
  bool WriteStringA(std::string_view name, std::string_view text);
  bool WriteIntegerA(std::string_view name, int32_t value);

 private:
  RegistryKeyHandle key_;
};
