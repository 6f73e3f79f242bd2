// Code pages the program names itself, and the kinds of line ending a job chooses.
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

// The line ending a job puts in (lineEndingKind) or converts to.
inline constexpr int16_t kLineEndingCrLf = 0;
inline constexpr int16_t kLineEndingLf = 1;
inline constexpr int16_t kLineEndingCr = 2;
