// Process-wide flags, set once at start-up.
#pragma once

#include <string_view>

extern bool japaneseUi;
extern bool consoleMode;
extern bool useIniStore;
extern bool copySettingsMode;

// "タイドライト" in the Japanese interface, "Tidewright" otherwise.
std::u16string_view ProductTitle();

// Picks the text of the interface language.
inline const char16_t* Text(const char16_t* japanese, const char16_t* english) {
  return japaneseUi ? japanese : english;
}
