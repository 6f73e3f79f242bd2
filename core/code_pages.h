// Code pages the program names itself.
#pragma once

#include <cstdint>

// Windows code-page numbers.
inline constexpr uint32_t kCodePageShiftJis = 932;
inline constexpr uint32_t kCodePageUtf16Le = 1200;
inline constexpr uint32_t kCodePageUtf16Be = 1201;
inline constexpr uint32_t kCodePageUtf7 = 65000;
inline constexpr uint32_t kCodePageUtf8 = 65001;
inline constexpr uint32_t kCodePageEucJp = 51932;
inline constexpr uint32_t kCodePageEucJpKernel = 20932;  // the kernel's number for EUC-JP
inline constexpr uint32_t kCodePageIso2022Jp = 50220;
inline constexpr uint32_t kCodePageEbcdicKatakana = 20290;

inline constexpr bool IsUtf16CodePage(uint32_t codePage) {
  return codePage == kCodePageUtf16Le || codePage == kCodePageUtf16Be;
}
